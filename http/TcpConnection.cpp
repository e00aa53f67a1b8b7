#include "http/TcpConnection.h"

#include "http/HttpError.h"

#include <cerrno>
#include <cstring>
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

}

TcpConnection::~TcpConnection()
{
    Close();
}

void TcpConnection::Connect(const std::string& host, std::uint16_t port)
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
    for (addrinfo* address = found; address; address = address->ai_next) {
        int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int result;
        do {
            result = connect(fd, address->ai_addr, address->ai_addrlen);
        } while (result != 0 && errno == EINTR);
        if (result == 0) {
            m_fd = fd;
            break;
        }
        lastError = errno;
        ::close(fd);
    }
    freeaddrinfo(found);
    if (m_fd < 0)
        throwSystemError(lastError);
    int on = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_host = host;
    m_port = port;
}

void TcpConnection::Close()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
}

void TcpConnection::Send(std::string_view data)
{
    if (m_fd < 0)
        throwSystemError(ENOTCONN);
    while (!data.empty()) {
        ssize_t sent = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            throwSystemError(errno);
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
        pollfd waiting { m_fd, POLLIN, 0 };
        int ready = ::poll(&waiting, 1, timeoutMs > 0 ? timeoutMs : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            throwSystemError(errno);
        }
        if (ready == 0)
            throw ReadTimeoutError();
    }
}

bool TcpConnection::IsStale() const
{
    if (m_fd < 0)
        return true;
    pollfd waiting { m_fd, POLLIN, 0 };
    if (::poll(&waiting, 1, 0) <= 0)
        return false;
    return true;
}

}
