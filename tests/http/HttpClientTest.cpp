// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpClient.h"
#include "http/HttpError.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrell {
namespace {

using namespace std::chrono_literals;
using test::LoopbackHttpServer;
using test::Reply;
using testing::ElementsAre;

class HttpClientTest : public testing::Test {
protected:
    // Fetches into `body`; returns the error text, or "" on success.
    std::string Fetch(const std::string& path)
    {
        try {
            client.Get(server.Url(path), body);
        } catch (const std::exception& error) {
            client.Disconnect();
            return error.what();
        }
        client.Disconnect();
        return {};
    }

    HttpStatusError FetchStatusError(const std::string& path)
    {
        try {
            client.Get(server.Url(path), body);
        } catch (const HttpStatusError& error) {
            client.Disconnect();
            return error;
        }
        ADD_FAILURE() << "no status error";
        return HttpStatusError(0, "", "");
    }

    std::vector<std::string> Targets() const
    {
        std::vector<std::string> targets;
        for (const auto& request : server.Requests())
            targets.push_back(request.target);
        return targets;
    }

    LoopbackHttpServer server;
    HttpClient client;
    MemoryStream body;
};

TEST_F(HttpClientTest, WritesTheRequestLinesInOrder)
{
    server.Enqueue(Reply::Ok("one"));
    server.Enqueue(Reply::Ok("two"));
    ASSERT_EQ(Fetch("/a/b.html?x=1"), "");
    client.SetCacheControl("no-cache");
    client.SetUserAgent("Agent/1.0 \xe4\xb8\xad");
    ASSERT_EQ(Fetch("/c"), "");

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].raw,
        std::string("GET /a/b.html?x=1 HTTP/1.1\r\n")
            + "Host: " + server.HostPort() + "\r\n"
            + "Accept: text/html, */*\r\n"
            + "Accept-Encoding: identity\r\n"
            + "User-Agent: Mozilla/3.0 (compatible; Nimbrell Library)\r\n"
            + "\r\n");
    EXPECT_EQ(requests[1].raw,
        std::string("GET /c HTTP/1.1\r\n")
            + "Cache-control: no-cache\r\n"
            + "Host: " + server.HostPort() + "\r\n"
            + "Accept: text/html, */*\r\n"
            + "Accept-Encoding: identity\r\n"
            + "User-Agent: Agent/1.0 ???\r\n"
            + "\r\n");
    EXPECT_EQ(body.ToString(), "onetwo");
}

TEST_F(HttpClientTest, ContentLengthBodyAndEarlyClose)
{
    std::vector<std::int64_t> begun;
    client.SetProgressListener({ [&](WorkMode, std::int64_t size) { begun.push_back(size); }, {}, {} });
    server.Enqueue(Reply::Head(200, "OK", { "Content-Length: 5" }).Send("hel").Delay(20ms).Send("lo"));
    ASSERT_EQ(Fetch("/full"), "");
    EXPECT_EQ(body.ToString(), "hello");

    MemoryStream cut;
    server.Enqueue(Reply::Head(200, "OK", { "Content-Length: 5" }).Send("abc"));
    client.Get(server.Url("/cut"), cut);
    client.Disconnect();
    EXPECT_EQ(cut.ToString(), "abc");
    EXPECT_THAT(begun, ElementsAre(5, 5));
}

TEST_F(HttpClientTest, ChunkedBodyWithExtension)
{
    server.Enqueue(Reply::Chunked({ "hello", " world" }, ";ext=1"));
    ASSERT_EQ(Fetch("/chunked"), "");
    EXPECT_EQ(body.ToString(), "hello world");
}

TEST_F(HttpClientTest, BodyUntilCloseReportsUnknownSize)
{
    std::vector<std::string> events;
    client.SetProgressListener({ [&](WorkMode, std::int64_t size) { events.push_back("begin " + std::to_string(size)); },
        [&](WorkMode, std::int64_t) {}, [&](WorkMode) { events.push_back("end"); } });
    server.Enqueue(Reply::Head(200, "OK").Send("until").Delay(10ms).Send(" close"));
    ASSERT_EQ(Fetch("/stream"), "");
    EXPECT_EQ(body.ToString(), "until close");
    EXPECT_THAT(events, ElementsAre("begin 0", "end"));

    events.clear();
    server.Enqueue(Reply::Status(200, "OK", ""));
    server.Enqueue(Reply::Head(204, "No Content"));
    ASSERT_EQ(Fetch("/empty"), "");
    ASSERT_EQ(Fetch("/nocontent"), "");
    EXPECT_EQ(body.ToString(), "until close");
    EXPECT_TRUE(events.empty());
}

TEST_F(HttpClientTest, RedirectToAnAbsolutePathStaysOnHostAndPort)
{
    server.Enqueue(Reply::Redirect(302, "/moved/here.html"));
    server.Enqueue(Reply::Ok("target"));
    client.SetFollowRedirects(true);
    ASSERT_EQ(Fetch("/start"), "");
    EXPECT_EQ(body.ToString(), "target");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/moved/here.html");
    EXPECT_THAT(requests[1].raw, testing::HasSubstr("\r\nHost: " + server.HostPort() + "\r\n"));
    EXPECT_EQ(client.RedirectCount(), 1);
}

TEST_F(HttpClientTest, RedirectLimitFollowsFourteenThenReturnsWithNothingWritten)
{
    int served = 0;
    server.SetHandler([&](const test::ReceivedRequest&) {
        ++served;
        return Reply::Status(302, "Found", "redirect body", { "Location: /r" + std::to_string(served) });
    });
    body.Write("kept", 4);
    client.SetFollowRedirects(true);
    ASSERT_EQ(Fetch("/r0"), "");
    EXPECT_EQ(served, 15);
    EXPECT_EQ(client.RedirectCount(), 15);
    EXPECT_EQ(body.ToString(), "kept");
    EXPECT_EQ(body.Position(), 4);
}

TEST_F(HttpClientTest, DiscardedBodiesAreReadWithProgress)
{
    std::vector<std::string> events;
    client.SetProgressListener({ [&](WorkMode, std::int64_t size) { events.push_back("begin " + std::to_string(size)); },
        [&](WorkMode, std::int64_t count) { events.push_back("work " + std::to_string(count)); },
        [&](WorkMode) { events.push_back("end"); } });
    server.Enqueue(Reply::Redirect(302, "/next"));
    EXPECT_EQ(FetchStatusError("/a").Body(), "moved");
    EXPECT_THAT(events, ElementsAre("begin 5", "work 5", "end"));
}

TEST_F(HttpClientTest, RedirectWhoseBodyNeverBeginsIsFollowedAnyway)
{
    // No length and the connection held open: the body would only end at the
    // time-out, so the client stops waiting for it to begin.
    client.SetReadTimeout(200);
    client.SetFollowRedirects(true);
    server.Enqueue(Reply::Head(302, "Found", { "Location: /next" }).Stall());
    server.Enqueue(Reply::Ok("next"));
    ASSERT_EQ(Fetch("/a"), "");
    EXPECT_EQ(body.ToString(), "next");
}

TEST_F(HttpClientTest, RedirectToAnotherServerConnectsThere)
{
    LoopbackHttpServer other;
    other.Enqueue(Reply::Ok("from the other server"));
    server.Enqueue(Reply::Redirect(307, other.Url("/there?x=1")).KeepAlive());
    client.SetFollowRedirects(true);
    ASSERT_EQ(Fetch("/here"), "");
    EXPECT_EQ(body.ToString(), "from the other server");
    auto requests = other.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/there?x=1");
    EXPECT_THAT(requests[0].raw, testing::HasSubstr("\r\nHost: " + other.HostPort() + "\r\n"));
}

TEST_F(HttpClientTest, RedirectsThatAreNotFollowedAreStatusErrors)
{
    server.Enqueue(Reply::Redirect(301, "/elsewhere"));
    auto error = FetchStatusError("/old");
    EXPECT_EQ(error.Code(), 301);
    EXPECT_EQ(error.Body(), "moved");
    EXPECT_EQ(server.Requests().size(), 1u);

    // Without a Location there is nowhere to go, followed or not.
    client.SetFollowRedirects(true);
    server.Enqueue(Reply::Status(300, "Multiple Choices", "choose"));
    EXPECT_EQ(FetchStatusError("/choices").Code(), 300);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(HttpClientTest, StatusErrorsCarryCodeStatusLineAndBody)
{
    struct Row {
        Reply reply;
        int code;
        const char* statusLine;
        const char* body;
    } rows[] = {
        { Reply::Status(404, "Not Found", "missing"), 404, "HTTP/1.1 404 Not Found", "missing" },
        // A 304 has no body, even from a server that keeps the connection open.
        { Reply::Head(304, "Not Modified").Stall(), 304, "HTTP/1.1 304 Not Modified", "" },
        { Reply::Status(500, "Oops", "broken"), 500, "HTTP/1.1 500 Oops", "broken" },
        { Reply::Raw("SPDY/9 ok what\r\nContent-Length: 2\r\n\r\n??"), -1, "SPDY/9 ok what", "??" },
        { Reply::Status(101, "Switching", ""), 101, "HTTP/1.1 101 Switching", "" },
    };
    client.SetReadTimeout(5000);
    for (auto& row : rows) {
        server.Enqueue(row.reply);
        auto error = FetchStatusError("/x");
        EXPECT_EQ(error.Code(), row.code) << row.statusLine;
        EXPECT_EQ(error.StatusLine(), row.statusLine);
        EXPECT_STREQ(error.what(), row.statusLine);
        EXPECT_EQ(error.Body(), row.body) << row.statusLine;
    }
    EXPECT_EQ(body.Size(), 0);
}

TEST_F(HttpClientTest, StalledBodyTimesOut)
{
    client.SetReadTimeout(200);
    server.Enqueue(Reply::Head(200, "OK", { "Content-Length: 10" }).Send("abc").Stall());
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch("/stall"), HttpMessages::kReadTimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 200ms);
    EXPECT_EQ(body.ToString(), "abc");

    server.Enqueue(Reply::Raw("HTTP/1.1 200 OK\r\n").Stall());
    EXPECT_EQ(Fetch("/stall-head"), HttpMessages::kReadTimedOut);
}

TEST_F(HttpClientTest, MisbehavingServersEndInTheirErrors)
{
    client.SetMaxBodySize(1 << 20);
    client.SetReadTimeout(5000);
    client.SetFollowRedirects(true);
    struct Row {
        const char* what;
        Reply reply;
        const char* error;
    } rows[] = {
        { "closes at once", Reply::Raw(""), HttpMessages::kConnectionClosedGracefully },
        { "closes inside the headers", Reply::Raw("HTTP/1.1 200 OK\r\nX-A: 1\r\n"), HttpMessages::kConnectionClosedGracefully },
        { "megabyte header line", Reply::Raw("HTTP/1.1 200 OK\r\nX-Long: " + std::string(1 << 20, 'x') + "\r\n\r\n"),
            HttpMessages::kMaxLineLengthExceeded },
        { "endless garbage", Reply::Raw("").SendForever("\x17garbage\xff", 64 << 20), HttpMessages::kMaxLineLengthExceeded },
        { "endless headers", Reply::Raw("HTTP/1.1 200 OK\r\n").SendForever("X-More: 1\r\n", 64 << 20),
            HttpMessages::kTooManyHeaderLines },
        { "endless body", Reply::Head(200, "OK").SendForever("data", 64 << 20), HttpMessages::kBodyTooLarge },
        { "endless redirect body", Reply::Head(302, "Found", { "Location: /next" }).SendForever("data", 64 << 20),
            HttpMessages::kBodyTooLarge },
        { "huge length", Reply::Head(200, "OK", { "Content-Length: 999999999999999" }).Send("abc"),
            HttpMessages::kBodyTooLarge },
    };
    for (auto& row : rows) {
        server.Enqueue(row.reply);
        EXPECT_EQ(Fetch("/bad"), row.error) << row.what;
    }
}

TEST_F(HttpClientTest, ConnectionFailuresAreSocketErrors)
{
    nimbrell::test::ClosedPort closedPort;
    try {
        client.Get("http://" + closedPort.HostPort() + "/", body);
        ADD_FAILURE() << "connected to a closed port";
    } catch (const SocketError& error) {
        EXPECT_EQ(error.Code(), ECONNREFUSED);
        EXPECT_STREQ(error.what(), "Socket Error # 111\r\nConnection refused");
    }

    EXPECT_THROW(client.Get("ftp://" + server.HostPort() + "/", body), HttpError);
    EXPECT_EQ(server.ConnectionCount(), 0);

    // The .invalid domain never resolves; the lookup's own error comes through.
    try {
        client.Get("http://nimbrell-test.invalid/", body);
        ADD_FAILURE() << "resolved a name that cannot exist";
    } catch (const SocketError& error) {
        EXPECT_NE(error.Code(), 0);
        EXPECT_NE(std::string(error.what()), "");
    }
}

TEST_F(HttpClientTest, KeepsTheConnectionOnlyWhenTheAnswerAllowsIt)
{
    server.Enqueue(Reply::Redirect(302, "/b").KeepAlive());
    server.Enqueue(Reply::Status(302, "Found", "x", { "Location: /c", "Connection: close" }).KeepAlive());
    server.Enqueue(Reply::Ok("done"));
    client.SetFollowRedirects(true);
    ASSERT_EQ(Fetch("/a"), "");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].connection, 1);
    EXPECT_EQ(requests[1].connection, 1);
    EXPECT_EQ(requests[2].connection, 2);
}

TEST_F(HttpClientTest, RequestOnAKeptConnectionThatTheServerDroppedGoesAgainOnANewOne)
{
    server.Enqueue(Reply::Redirect(302, "/b").KeepAlive());
    server.Enqueue(Reply::Raw(""));
    server.Enqueue(Reply::Ok("done"));
    client.SetFollowRedirects(true);
    ASSERT_EQ(Fetch("/a"), "");
    EXPECT_EQ(body.ToString(), "done");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].target, "/b");
    EXPECT_EQ(requests[2].target, "/b");
    EXPECT_EQ(requests[2].connection, 2);
}

TEST_F(HttpClientTest, CookiesSetDuringAFetchGoBackWithinIt)
{
    server.Enqueue(Reply::Status(302, "Found", "", { "Location: /two", "Set-Cookie: a=1; Path=/", "Set-Cookie2: b=2" }));
    server.Enqueue(Reply::Status(302, "Found", "", { "Location: /three", "Set-Cookie: a=; Max-Age=0; Path=/", "Set-Cookie: c=3; Domain=elsewhere.example" }));
    server.Enqueue(Reply::Ok("end"));
    client.SetFollowRedirects(true);
    ASSERT_EQ(Fetch("/one"), "");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_THAT(requests[0].raw, testing::Not(testing::HasSubstr("Cookie")));
    EXPECT_THAT(requests[1].raw, testing::EndsWith("\r\nCookie: a=1; b=2\r\n\r\n"));
    EXPECT_THAT(requests[2].raw, testing::EndsWith("\r\nCookie: b=2\r\n\r\n"));
}

TEST_F(HttpClientTest, LargeBodyArrivesWhole)
{
    std::string pattern = "0123456789abcdef";
    std::size_t size = (3 << 20) + 7;
    server.Enqueue(Reply::Head(200, "OK", { "Content-Length: " + std::to_string(size) }).SendForever(pattern, size));
    ASSERT_EQ(Fetch("/big"), "");
    ASSERT_EQ(static_cast<std::size_t>(body.Size()), size);
    for (std::size_t i = 0; i < size; i += 4099)
        ASSERT_EQ(body.Data()[i], pattern[i % pattern.size()]) << i;
}

TEST_F(HttpClientTest, DeadlineEndsAFetchThatTricklesWithinTheReadTimeout)
{
    // Each byte comes well within the read time-out; only the deadline stops it.
    client.SetReadTimeout(2000);
    client.SetDeadline(600);
    Reply trickle = Reply::Head(200, "OK", { "Content-Length: 100" });
    for (int i = 0; i < 100; ++i)
        trickle.Send("x").Delay(100ms);
    server.Enqueue(trickle);
    EXPECT_EQ(Fetch("/trickle"), HttpMessages::kDeadlinePassed);
    EXPECT_LT(body.Size(), 100);

    // The deadline covers the whole Get, so a fetch within it is untouched.
    server.Enqueue(Reply::Ok("quick"));
    EXPECT_EQ(Fetch("/quick"), "");
    EXPECT_EQ(body.ToString().substr(body.ToString().size() - 5), "quick");
}

TEST_F(HttpClientTest, ConnectTimeoutEndsAConnectNobodyAnswers)
{
    // A listener that never accepts: once its queue is full, the system drops
    // further connection attempts and the connect waits.
    std::uint16_t port;
    int listener = test::ListenOnLoopback(0, port);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(filler);
    }

    client.SetConnectTimeout(300);
    try {
        client.Get("http://127.0.0.1:" + std::to_string(port) + "/", body);
        ADD_FAILURE() << "connected to a full queue";
    } catch (const SocketError& error) {
        EXPECT_EQ(error.Code(), ETIMEDOUT);
    }
    client.Disconnect();
    for (int filler : fillers)
        ::close(filler);
    ::close(listener);
}

TEST_F(HttpClientTest, IncompleteBodiesFailOnlyWhenCompleteBodiesAreRequired)
{
    client.SetReadTimeout(5000);
    struct Row {
        const char* what;
        Reply reply;
        const char* lenientBody; // what the lenient read keeps, or null when it fails too
        const char* strictError;
    } rows[] = {
        { "closed before the announced length", Reply::Head(200, "OK", { "Content-Length: 10" }).Send("abc"), "abc",
            HttpMessages::kBodyCutShort },
        { "unreadable chunk size", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("3\r\nabc\r\nzz\r\nmore"),
            "abc", HttpMessages::kMalformedChunkSize },
        { "no last chunk", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("3\r\nabc\r\n"), nullptr,
            HttpMessages::kMissingLastChunk },
        { "chunk longer than its size", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("3\r\nabcdef\r\n0\r\n\r\n"),
            "abc", HttpMessages::kMalformedChunkSize },
        { "chunk cut short", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("8\r\nabc"), nullptr,
            HttpMessages::kBodyCutShort },
    };
    for (auto& row : rows) {
        body.SetSize(0);
        server.Enqueue(row.reply);
        std::string lenient = Fetch("/lenient");
        if (row.lenientBody) {
            EXPECT_EQ(lenient, "") << row.what;
            EXPECT_EQ(body.ToString(), row.lenientBody) << row.what;
        } else {
            EXPECT_NE(lenient, "") << row.what;
        }

        client.SetRequireCompleteBody(true);
        server.Enqueue(row.reply);
        EXPECT_EQ(Fetch("/strict"), row.strictError) << row.what;
        client.SetRequireCompleteBody(false);
    }

    client.SetRequireCompleteBody(true);
    server.Enqueue(Reply::Chunked({ "ab", "cd" }, ";x=1", { "X-Trailer: 1" }));
    body.SetSize(0);
    EXPECT_EQ(Fetch("/whole"), "");
    EXPECT_EQ(body.ToString(), "abcd");
}

}
}
