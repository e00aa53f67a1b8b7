// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A loopback port that refuses connections for the object's life: a socket
// bound to a free port but never listening. Nothing else can take the port
// meanwhile, unlike a port number assumed closed or one just freed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrell::test {

class ClosedPort {
public:
    ClosedPort()
        : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot reserve a loopback port");
        m_port = ntohs(address.sin_port);
    }
    ~ClosedPort() { close(m_fd); }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    int m_fd;
    unsigned short m_port { 0 };
};

}
