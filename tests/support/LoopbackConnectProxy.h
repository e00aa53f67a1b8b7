// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A CONNECT proxy on 127.0.0.1 for tests: it opens tunnels to loopback ports
// only, relays bytes both ways and records each CONNECT request line.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nimbrell::test {

class LoopbackConnectProxy {
public:
    LoopbackConnectProxy();
    ~LoopbackConnectProxy();
    LoopbackConnectProxy(const LoopbackConnectProxy&) = delete;
    LoopbackConnectProxy& operator=(const LoopbackConnectProxy&) = delete;

    // "127.0.0.1:port"
    std::string HostPort() const;
    std::vector<std::string> RequestLines() const;
    // Each request's line and headers, as received.
    std::vector<std::string> Requests() const;
    // From now on, a request without exactly this Proxy-Authorization value
    // is answered 407.
    void RequireLogin(std::string authorization);

private:
    void acceptLoop();
    void serve(int client);
    bool waitReadable(int fd) const;

    int m_listenFd { -1 };
    int m_wakeFds[2] { -1, -1 };
    std::uint16_t m_port { 0 };
    std::atomic<bool> m_stopping { false };
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::vector<std::string> m_requestLines;
    std::vector<std::string> m_requests;
    std::string m_login;
};

}
