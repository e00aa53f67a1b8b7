// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scriptable HTTP server on 127.0.0.1 for integration tests. It listens on a
// free port, serves on its own threads (one per connection), answers each
// request with a scripted Reply and records the raw bytes of every request.
//
//   test::LoopbackHttpServer server;
//   server.Route("/data/101010100.html", test::Reply::Ok(document));
//   server.Enqueue(test::Reply::Head(200, "OK", {"Content-Length: 5"}).Send("abc"));
//   ... fetch server.Url("/data/101010100.html") ...
//   EXPECT_EQ(server.Requests().at(0).raw, "GET /data/... HTTP/1.1\r\n...");
//
// Reply choice per request: the handler if one is set, else the oldest
// enqueued reply, else the route for the request target, else 404.
//
// Given a certificate and key, the server speaks TLS on its port instead
// (Url then gives https addresses); the replies are scripted the same way.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace nimbrell::test {

// A listening TCP socket on 127.0.0.1 at a free port, which is stored in
// `port`. Throws std::runtime_error when the system refuses.
int ListenOnLoopback(int backlog, std::uint16_t& port);

struct TlsIdentity {
    std::string certificateFile; // PEM; empty for plain HTTP
    std::string keyFile;
    std::string cipherSuites; // TLS 1.3 suites to offer; empty for OpenSSL's defaults
};

class Reply {
public:
    // Status line and headers (each "Name: value") with the blank line after them.
    static Reply Head(int code, std::string_view reason, const std::vector<std::string>& headers = {});
    // A complete answer with Content-Length.
    static Reply Ok(std::string_view body, std::string_view contentType = "text/plain");
    static Reply Status(int code, std::string_view reason, std::string_view body = {},
        const std::vector<std::string>& headers = {});
    static Reply Redirect(int code, std::string_view location);
    // A chunked 200 answer; `extension` is appended to each chunk-size line.
    static Reply Chunked(const std::vector<std::string>& chunks, std::string_view extension = {},
        const std::vector<std::string>& trailers = {});
    // Exactly these bytes.
    static Reply Raw(std::string_view bytes);

    Reply& Send(std::string_view bytes);
    Reply& Delay(std::chrono::milliseconds pause);
    // Sends nothing more and holds the connection until the client closes it or
    // the server stops.
    Reply& Stall();
    // Repeats `pattern` until `maxBytes` are sent or the client goes away.
    Reply& SendForever(std::string_view pattern, std::size_t maxBytes);
    // After the steps, waits for the next request on the same connection
    // instead of closing it.
    Reply& KeepAlive();
    // After the steps, closes the connection without TLS's close_notify, as a
    // cut connection or an attacker's reset would.
    Reply& CloseWithoutNotice();

private:
    friend class LoopbackHttpServer;
    struct Step {
        enum class Kind {
            Send,
            Delay,
            Stall,
            Repeat
        } kind;
        std::string bytes;
        std::chrono::milliseconds pause { 0 };
        std::size_t limit { 0 };
    };
    std::vector<Step> m_steps;
    bool m_keepAlive { false };
    bool m_withoutNotice { false };
};

struct ReceivedRequest {
    std::string raw; // request line, headers and the blank line, as received
    std::string method;
    std::string target;
    int connection { 0 }; // 1 for the first accepted connection, and so on
};

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(const TlsIdentity& tls = {});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    // "127.0.0.1:port"
    std::string HostPort() const;
    // "http://127.0.0.1:port" + path ("https://" for a TLS server)
    std::string Url(std::string_view path) const;

    void Enqueue(Reply reply);
    void Route(std::string target, Reply reply);
    void SetHandler(std::function<Reply(const ReceivedRequest&)> handler);
    // Played on every new connection before any request is read (and before
    // a TLS handshake, which then does not happen unless the greeting is empty).
    void SetGreeting(Reply greeting);

    std::vector<ReceivedRequest> Requests() const;
    int ConnectionCount() const { return m_connections.load(); }
    // Waits until `count` connections have ended (the client closed them, or
    // their reply finished); false when `limit` passes first.
    bool WaitForClosedConnections(int count, std::chrono::milliseconds limit) const;

private:
    struct Channel {
        int fd;
        SSL* ssl { nullptr };
        bool withoutNotice { false }; // closed without close_notify
    };

    void acceptLoop();
    void serve(int fd, int connection);
    // Plays the reply's steps; false when the connection has ended.
    bool play(Channel& channel, const Reply& reply);
    // Appends what arrives to `pending`; false when the peer closed or the server stops.
    bool receiveSome(Channel& channel, std::string& pending);
    bool sendAll(Channel& channel, std::string_view bytes);
    bool acceptTls(Channel& channel);
    Reply replyFor(const ReceivedRequest& request);
    // Waits until `fd` is ready for `events`, the server stops, or `timeoutMs`
    // passes (-1: no bound). Returns true only when `fd` is ready.
    bool waitFor(int fd, short events, int timeoutMs) const;
    bool sendAll(int fd, std::string_view bytes) const;
    // Waits as OpenSSL asks after `result`; false when the call failed for good.
    bool waitForTls(Channel& channel, int result) const;

    int m_listenFd { -1 };
    int m_wakeFds[2] { -1, -1 };
    std::uint16_t m_port { 0 };
    SSL_CTX* m_tls { nullptr };
    std::atomic<bool> m_stopping { false };
    std::atomic<int> m_connections { 0 };
    std::thread m_acceptor;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_closed;
    int m_closedConnections { 0 };
    std::vector<std::thread> m_workers;
    std::deque<Reply> m_queue;
    std::map<std::string, Reply> m_routes;
    std::function<Reply(const ReceivedRequest&)> m_handler;
    std::optional<Reply> m_greeting;
    std::vector<ReceivedRequest> m_requests;
};

}
