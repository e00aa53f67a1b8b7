// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for the built-in demo service: GET only,
// one short-lived connection per request, answered by a handler on the server's
// own thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace nimbrell {

struct HttpServerResponse {
    int code { 200 };
    std::string reason { "OK" };
    std::string contentType { "text/html; charset=utf-8" };
    std::string body;
};

// What the server makes of a request's head (its request line and headers).
struct HttpServerRequest {
    enum class Kind {
        Get,
        BadRequest,
        MethodNotAllowed,
    };
    Kind kind { Kind::BadRequest };
    std::string target; // for Get: the request target as sent ("/data/x.html")
};
HttpServerRequest ParseRequestHead(std::string_view head);

class HttpServer {
public:
    // Called on the server thread with the request target ("/data/x.html").
    using Handler = std::function<HttpServerResponse(const std::string& target)>;

    // A client gets this long, in all, to send its request head.
    static constexpr int kDefaultRequestTimeoutMs = 5000;

    // Listens on a free port (or the one given); throws SocketError when it cannot.
    explicit HttpServer(Handler handler, std::uint16_t port = 0, int requestTimeoutMs = kDefaultRequestTimeoutMs);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    // "127.0.0.1:port"
    std::string HostPort() const;

private:
    void acceptLoop();
    void serve(int fd);

    Handler m_handler;
    int m_requestTimeoutMs;
    int m_listenFd { -1 };
    int m_stopFds[2] { -1, -1 };
    std::uint16_t m_port { 0 };
    std::thread m_thread;
};

}
