// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

using namespace nimbrell;

namespace {

// A raw client: sends what it is given, then reads until the server closes.
class RawClient {
public:
    explicit RawClient(std::uint16_t port)
        : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("connect");
    }
    ~RawClient() { close(m_fd); }

    void Send(std::string_view bytes) { ASSERT_EQ(send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size())); }

    // Everything until the server closes the connection.
    std::string ReadToEnd()
    {
        std::string out;
        char buffer[4096];
        for (;;) {
            pollfd descriptor { m_fd, POLLIN, 0 };
            if (poll(&descriptor, 1, 30000) <= 0)
                return out + "<no answer>";
            ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return out;
            out.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd;
};

std::string statusLine(const std::string& reply)
{
    return reply.substr(0, reply.find("\r\n"));
}

HttpServerResponse answer(const std::string& target)
{
    if (target == "/fail")
        throw std::runtime_error("handler failed");
    return { 200, "OK", "text/plain", "you asked for " + target };
}

}

TEST(HttpServer, AnswersGetAndRefusesEverythingElse)
{
    HttpServer server(answer);
    struct Row {
        const char* request;
        const char* status;
    } rows[] = {
        { "GET /data/1.html HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200 OK" },
        { "POST /data/1.html HTTP/1.1\r\n\r\n", "HTTP/1.1 405 Method Not Allowed" },
        { "get /data/1.html HTTP/1.1\r\n\r\n", "HTTP/1.1 405 Method Not Allowed" },
        { "GET\r\n\r\n", "HTTP/1.1 400 Bad Request" },
        { "GET /only-a-target\r\n\r\n", "HTTP/1.1 400 Bad Request" },
        { "GET /fail HTTP/1.1\r\n\r\n", "HTTP/1.1 500 Internal Server Error" },
    };
    for (const auto& row : rows) {
        RawClient client(server.Port());
        client.Send(row.request);
        std::string reply = client.ReadToEnd();
        EXPECT_EQ(statusLine(reply), row.status) << row.request;
        if (std::string_view(row.status).ends_with("200 OK"))
            EXPECT_TRUE(reply.ends_with("\r\n\r\nyou asked for /data/1.html")) << reply;
    }
}

TEST(HttpServer, AStalledClientIsDroppedAndTheNextOneServed)
{
    HttpServer server(answer, 0, 300);
    RawClient stalled(server.Port());
    stalled.Send("GET /slow HTTP/1.1\r\n"); // and never the blank line
    RawClient next(server.Port());
    next.Send("GET /next HTTP/1.1\r\n\r\n");
    EXPECT_EQ(stalled.ReadToEnd(), "") << "dropped without an answer";
    EXPECT_EQ(statusLine(next.ReadToEnd()), "HTTP/1.1 200 OK");
}

TEST(HttpServer, RequestHeadParsing)
{
    using Kind = HttpServerRequest::Kind;
    struct Row {
        std::string head;
        Kind kind;
        std::string target;
    } rows[] = {
        { "GET /a?b=1 HTTP/1.1\r\nX: y\r\n\r\n", Kind::Get, "/a?b=1" },
        { "GET  HTTP/1.1\r\n\r\n", Kind::Get, "" },
        { "HEAD / HTTP/1.1\r\n\r\n", Kind::MethodNotAllowed, "" },
        { "GET /\r\nX: a b\r\n\r\n", Kind::BadRequest, "" },
        { "GET /a\nb HTTP/1.1\r\n\r\n", Kind::BadRequest, "" },
        { std::string("GET /a\0b HTTP/1.1\r\n\r\n", 21), Kind::BadRequest, "" },
        { "", Kind::BadRequest, "" },
    };
    for (const auto& row : rows) {
        HttpServerRequest request = ParseRequestHead(row.head);
        EXPECT_EQ(request.kind, row.kind) << row.head;
        EXPECT_EQ(request.target, row.target) << row.head;
    }
}
