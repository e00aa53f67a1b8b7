// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A client TCP connection over POSIX sockets, resolved to IPv4. The socket is
// non-blocking; every wait goes through WaitReady, which applies the wait's
// time-out and the fetch's deadline.

#include "http/Connection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrell {

class TcpConnection final : public Connection {
public:
    TcpConnection() = default;
    ~TcpConnection() override;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves `host` to an IPv4 address and connects. `timeoutMs` > 0 bounds
    // each connect attempt (as does the deadline); 0 or less leaves it to the
    // system. Throws SocketError when resolution or connect fails or times out.
    void Connect(const std::string& host, std::uint16_t port, int timeoutMs = -1);
    void Close();
    bool IsOpen() const override { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

    void Send(std::string_view data) override;
    std::size_t Receive(char* buffer, std::size_t capacity, int timeoutMs) override;
    bool IsStale() override;
    void SetDeadline(FetchDeadline deadline) override { m_deadline = deadline; }

    // Waits until the socket is ready for `events` (poll flags). Throws
    // ReadTimeoutError after `timeoutMs` (> 0), DeadlineError when the deadline
    // passes first, SocketError on a system failure.
    void WaitReady(short events, int timeoutMs);

private:
    int m_fd { -1 };
    FetchDeadline m_deadline;
};

}
