// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/TcpConnection.h"

#include "http/HttpError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrell {

namespace {

[[noreturn]] void throwSystemError(int code)
{
    throw SocketError(code, std::strerror(code));
}

// The poll wait for a bound of `timeoutMs` (> 0, else none) under `deadline`;
// -1 waits without bound. Throws DeadlineError when the deadline has passed.
int boundedWait(int timeoutMs, const FetchDeadline& deadline)
{
    int wait = timeoutMs > 0 ? timeoutMs : -1;
    if (!deadline)
        return wait;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0)
        throw DeadlineError();
    int leftMs = left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
    return wait < 0 ? leftMs : std::min(wait, leftMs);
}

// Connects `fd` (non-blocking) within the wait; returns 0 or the error number.
int connectWithin(int fd, const addrinfo& address, int timeoutMs, const FetchDeadline& deadline)
{
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR)
        return errno;
    for (;;) {
        pollfd waiting { fd, POLLOUT, 0 };
        int ready = ::poll(&waiting, 1, boundedWait(timeoutMs, deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return errno;
        if (ready == 0) {
            // The deadline, when it is the nearer bound, reports itself.
            boundedWait(timeoutMs, deadline);
            return ETIMEDOUT;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return errno;
        return error;
    }
}

}

TcpConnection::~TcpConnection()
{
    Close();
}

void TcpConnection::Connect(const std::string& host, std::uint16_t port, int timeoutMs)
{
    Close();
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0) {
        if (status == EAI_SYSTEM)
            throwSystemError(errno);
        throw SocketError(status, gai_strerror(status));
    }
    int lastError = ECONNREFUSED;
    try {
        for (addrinfo* address = found; address; address = address->ai_next) {
            int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address->ai_protocol);
            if (fd < 0) {
                lastError = errno;
                continue;
            }
            int error = connectWithin(fd, *address, timeoutMs, m_deadline);
            if (error == 0) {
                m_fd = fd;
                break;
            }
            lastError = error;
            ::close(fd);
        }
    } catch (...) {
        freeaddrinfo(found);
        throw;
    }
    freeaddrinfo(found);
    if (m_fd < 0)
        throwSystemError(lastError);
    int on = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void TcpConnection::Close()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
}

void TcpConnection::WaitReady(short events, int timeoutMs)
{
    for (;;) {
        pollfd waiting { m_fd, events, 0 };
        int ready = ::poll(&waiting, 1, boundedWait(timeoutMs, m_deadline));
        if (ready > 0)
            return;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            throwSystemError(errno);
        }
        boundedWait(timeoutMs, m_deadline);
        throw ReadTimeoutError();
    }
}

void TcpConnection::Send(std::string_view data)
{
    if (m_fd < 0)
        throwSystemError(ENOTCONN);
    while (!data.empty()) {
        ssize_t sent = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                throwSystemError(errno);
            WaitReady(POLLOUT, -1);
            continue;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::size_t TcpConnection::Receive(char* buffer, std::size_t capacity, int timeoutMs)
{
    if (m_fd < 0)
        return 0;
    for (;;) {
        // Try first: while a body streams in, data is usually waiting already.
        ssize_t received = ::recv(m_fd, buffer, capacity, MSG_DONTWAIT);
        if (received >= 0)
            return static_cast<std::size_t>(received);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throwSystemError(errno);
        WaitReady(POLLIN, timeoutMs);
    }
}

bool TcpConnection::IsStale()
{
    if (m_fd < 0)
        return true;
    pollfd waiting { m_fd, POLLIN, 0 };
    return ::poll(&waiting, 1, 0) > 0;
}

}
