#pragma once

// A client TCP connection over POSIX sockets, resolved to IPv4.

#include "http/ByteSource.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrell {

class TcpConnection final : public ByteSource {
public:
    TcpConnection() = default;
    ~TcpConnection() override;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves `host` to an IPv4 address and connects with a blocking connect.
    // Throws SocketError when resolution or connect fails.
    void Connect(const std::string& host, std::uint16_t port);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    const std::string& Host() const { return m_host; }
    std::uint16_t Port() const { return m_port; }

    // Sends all of `data`; throws SocketError on failure.
    void Send(std::string_view data);
    std::size_t Receive(char* buffer, std::size_t capacity, int timeoutMs) override;

    // The peer has closed its side or sent bytes nobody asked for; either way
    // the connection cannot carry another exchange.
    bool IsStale() const;

private:
    int m_fd { -1 };
    std::string m_host;
    std::uint16_t m_port { 0 };
};

}
