// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpServer.h"

#include "base/WorkerThread.h"
#include "http/HttpError.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrell {

namespace {

// Requests are a line and a few headers; anything longer is not one of ours.
constexpr std::size_t kMaxRequestSize = 16384;

[[noreturn]] void raiseSocketError()
{
    int code = errno;
    throw SocketError(code, std::strerror(code));
}

void sendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

// The request line and headers, or empty when the client does not send them
// within the time limit: one deadline for the whole head, so a client that
// trickles a byte at a time cannot hold the server for long.
std::string readHead(int fd, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestSize) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd descriptor { fd, POLLIN, 0 };
        if (left <= 0 || poll(&descriptor, 1, static_cast<int>(left)) <= 0)
            return {};
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return {};
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

}

HttpServerRequest ParseRequestHead(std::string_view head)
{
    std::string_view line = head.substr(0, head.find("\r\n"));
    auto firstSpace = line.find(' ');
    auto secondSpace = firstSpace == std::string_view::npos ? firstSpace : line.find(' ', firstSpace + 1);
    bool control = std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    if (secondSpace == std::string_view::npos || control)
        return { HttpServerRequest::Kind::BadRequest, {} };
    if (line.substr(0, firstSpace) != "GET")
        return { HttpServerRequest::Kind::MethodNotAllowed, {} };
    return { HttpServerRequest::Kind::Get, std::string(line.substr(firstSpace + 1, secondSpace - firstSpace - 1)) };
}

HttpServer::HttpServer(Handler handler, std::uint16_t port, int requestTimeoutMs)
    : m_handler(std::move(handler))
    , m_requestTimeoutMs(requestTimeoutMs)
{
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        raiseSocketError();
    int yes = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_listenFd, 16) != 0
        || getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || pipe2(m_stopFds, O_CLOEXEC) != 0) {
        int code = errno;
        close(m_listenFd);
        throw SocketError(code, std::strerror(code));
    }
    m_port = ntohs(address.sin_port);
    m_thread = StartWorkerThread([this] { acceptLoop(); });
}

HttpServer::~HttpServer()
{
    [[maybe_unused]] auto written = write(m_stopFds[1], "x", 1);
    m_thread.join();
    close(m_listenFd);
    close(m_stopFds[0]);
    close(m_stopFds[1]);
}

std::string HttpServer::HostPort() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

void HttpServer::acceptLoop()
{
    for (;;) {
        pollfd descriptors[2] = { { m_listenFd, POLLIN, 0 }, { m_stopFds[0], POLLIN, 0 } };
        if (poll(descriptors, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (descriptors[1].revents)
            return;
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        // Requests are few and answered from memory: one at a time is plenty.
        serve(fd);
        close(fd);
    }
}

void HttpServer::serve(int fd)
{
    std::string head = readHead(fd, m_requestTimeoutMs);
    if (head.empty())
        return;
    HttpServerResponse response;
    HttpServerRequest request = ParseRequestHead(head);
    switch (request.kind) {
    case HttpServerRequest::Kind::BadRequest:
        response = { 400, "Bad Request", "text/plain", "Bad Request" };
        break;
    case HttpServerRequest::Kind::MethodNotAllowed:
        response = { 405, "Method Not Allowed", "text/plain", "Method Not Allowed" };
        break;
    case HttpServerRequest::Kind::Get:
        try {
            response = m_handler(request.target);
        } catch (const std::exception&) {
            response = { 500, "Internal Server Error", "text/plain", "Internal Server Error" };
        }
        break;
    }
    std::string reply = "HTTP/1.1 " + std::to_string(response.code) + " " + response.reason + "\r\nContent-Type: "
        + response.contentType + "\r\nContent-Length: " + std::to_string(response.body.size())
        + "\r\nConnection: close\r\n\r\n" + response.body;
    sendAll(fd, reply);
}

}
