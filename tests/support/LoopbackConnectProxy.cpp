// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/LoopbackConnectProxy.h"

#include "tests/support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrell::test {

namespace {

bool sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

int connectLoopback(std::uint16_t port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}

LoopbackConnectProxy::LoopbackConnectProxy()
{
    if (::pipe2(m_wakeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_listenFd = ListenOnLoopback(16, m_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackConnectProxy::~LoopbackConnectProxy()
{
    m_stopping = true;
    char wake = 1;
    [[maybe_unused]] auto written = ::write(m_wakeFds[1], &wake, 1);
    m_acceptor.join();
    for (auto& worker : m_workers)
        worker.join();
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

std::string LoopbackConnectProxy::HostPort() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::vector<std::string> LoopbackConnectProxy::RequestLines() const
{
    std::lock_guard lock(m_mutex);
    return m_requestLines;
}

std::vector<std::string> LoopbackConnectProxy::Requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackConnectProxy::RequireLogin(std::string authorization)
{
    std::lock_guard lock(m_mutex);
    m_login = std::move(authorization);
}

bool LoopbackConnectProxy::waitReadable(int fd) const
{
    pollfd fds[2] = { { fd, POLLIN, 0 }, { m_wakeFds[0], POLLIN, 0 } };
    while (::poll(fds, 2, -1) < 0) {
        if (errno != EINTR)
            return false;
    }
    return !(fds[1].revents & POLLIN) && fds[0].revents;
}

void LoopbackConnectProxy::acceptLoop()
{
    while (waitReadable(m_listenFd)) {
        int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_workers.emplace_back([this, client] { serve(client); });
    }
}

void LoopbackConnectProxy::serve(int client)
{
    std::string head;
    char buffer[16384];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 8192) {
        if (!waitReadable(client))
            break;
        ssize_t received = ::recv(client, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(received));
    }
    std::string line = head.substr(0, head.find("\r\n"));
    bool loggedIn = true;
    {
        std::lock_guard lock(m_mutex);
        m_requestLines.push_back(line);
        m_requests.push_back(head.substr(0, head.find("\r\n\r\n") + 2));
        loggedIn = m_login.empty() || head.find("\r\nProxy-Authorization: " + m_login + "\r\n") != std::string::npos;
    }
    if (!loggedIn) {
        const char challenge[] = "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic\r\n"
                                 "Content-Length: 0\r\nConnection: close\r\n\r\n";
        sendAll(client, challenge, sizeof challenge - 1);
        ::close(client);
        return;
    }
    // "CONNECT 127.0.0.1:PORT HTTP/1.1": anything else, or another host, is refused.
    constexpr std::string_view prefix = "CONNECT 127.0.0.1:";
    int upstream = -1;
    if (line.starts_with(prefix))
        upstream = connectLoopback(static_cast<std::uint16_t>(std::atoi(line.c_str() + prefix.size())));
    if (upstream < 0) {
        const char refusal[] = "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        sendAll(client, refusal, sizeof refusal - 1);
        ::close(client);
        return;
    }
    const char established[] = "HTTP/1.1 200 Connection established\r\n\r\n";
    sendAll(client, established, sizeof established - 1);

    pollfd fds[3] = { { client, POLLIN, 0 }, { upstream, POLLIN, 0 }, { m_wakeFds[0], POLLIN, 0 } };
    for (bool open = true; open;) {
        if (::poll(fds, 3, -1) < 0 && errno != EINTR)
            break;
        if (fds[2].revents)
            break;
        for (int side = 0; side < 2 && open; ++side) {
            if (!fds[side].revents)
                continue;
            ssize_t received = ::recv(fds[side].fd, buffer, sizeof buffer, 0);
            open = received > 0 && sendAll(fds[1 - side].fd, buffer, static_cast<std::size_t>(received));
        }
    }
    ::close(upstream);
    ::close(client);
}

}
