// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpError.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "weather/PageFetch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

namespace nimbrell {
namespace {

using namespace std::chrono_literals;
using test::LoopbackHttpServer;
using test::Reply;

constexpr const char* kBeijingUtf8 = "\xE5\x8C\x97\xE4\xBA\xAC";

TEST(FetchPage, SendsTheFixedRequestAndDecodesUtf8)
{
    LoopbackHttpServer server;
    server.Route("/data/101010100.html", Reply::Ok(std::string("{\"city\":\"") + kBeijingUtf8 + "\xFF\"}"));
    std::string text = FetchPage(server.Url("/data/101010100.html"), PageEncoding::Utf8);
    EXPECT_EQ(text, std::string("{\"city\":\"") + kBeijingUtf8 + "\xEF\xBF\xBD\"}");

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].raw,
        std::string("GET /data/101010100.html HTTP/1.1\r\n")
            + "Cache-control: no-cache\r\n"
            + "Host: " + server.HostPort() + "\r\n"
            + "Accept: text/html, */*\r\n"
            + "Accept-Encoding: identity\r\n"
            + "User-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; .NET CLR 2.0.50727)\r\n"
            + "\r\n");
}

TEST(FetchPage, SystemCodePageModeReadsGbk)
{
    LoopbackHttpServer server;
    server.Route("/gbk", Reply::Ok("\xB1\xB1\xBE\xA9"));
    server.Route("/utf8", Reply::Ok(kBeijingUtf8));
    EXPECT_EQ(FetchPage(server.Url("/gbk"), PageEncoding::SystemCodePage), kBeijingUtf8);
    EXPECT_EQ(FetchPage(server.Url("/utf8"), PageEncoding::SystemCodePage), "\xE9\x8D\x96\xE6\xA4\xBE\xE5\x90\xAB");
}

TEST(FetchPage, FollowsRedirectsOnTheSameHost)
{
    LoopbackHttpServer server;
    server.Route("/old", Reply::Redirect(302, "/new/page.html"));
    server.Route("/new/page.html", Reply::Ok("moved here"));
    EXPECT_EQ(FetchPage(server.Url("/old"), PageEncoding::Utf8), "moved here");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(FetchPage, FailuresReachTheCallerAndTheConnectionIsClosed)
{
    LoopbackHttpServer server;
    PageFetchOptions quick;
    quick.readTimeoutMs = 150;
    // Each reply holds its connection until the client closes it.
    server.Enqueue(Reply::Head(200, "OK", { "Content-Length: 100" }).Send("partial").Stall());
    EXPECT_THAT([&] { FetchPage(server.Url("/stall"), PageEncoding::Utf8, quick); },
        ::testing::ThrowsMessage<HttpError>(::testing::StrEq("Read timed out.")));
    EXPECT_TRUE(server.WaitForClosedConnections(1, 5s));

    server.Enqueue(Reply::Status(404, "Not Found", "gone").Stall());
    try {
        FetchPage(server.Url("/missing"), PageEncoding::Utf8, quick);
        ADD_FAILURE() << "no error";
    } catch (const HttpStatusError& error) {
        EXPECT_EQ(error.Code(), 404);
        EXPECT_EQ(error.Body(), "gone");
    }
    EXPECT_TRUE(server.WaitForClosedConnections(2, 5s));

    PageFetchOptions small;
    small.maxBodySize = 1024;
    server.Enqueue(Reply::Head(200, "OK").SendForever("endless ", std::size_t(1) << 30));
    EXPECT_THAT([&] { FetchPage(server.Url("/endless"), PageEncoding::Utf8, small); },
        ::testing::ThrowsMessage<HttpError>(::testing::StrEq("Response body too large.")));

    EXPECT_THROW(FetchPage("ftp://" + server.HostPort() + "/", PageEncoding::Utf8), HttpError);
}

TEST(FetchPage, ADocumentThatTricklesInFailsAtTheDeadline)
{
    // Scaled down from the real figures (a byte every 8 s against a 9 s read
    // time-out and a 30 s deadline): every byte is in time, the whole is not.
    LoopbackHttpServer server;
    Reply trickle = Reply::Head(200, "OK", { "Content-Length: 50" });
    for (int i = 0; i < 50; ++i)
        trickle.Send("x").Delay(80ms);
    server.Enqueue(trickle);
    PageFetchOptions options;
    options.readTimeoutMs = 900;
    options.deadlineMs = 300;
    EXPECT_THAT([&] { FetchPage(server.Url("/slow"), PageEncoding::Utf8, options); },
        ::testing::ThrowsMessage<DeadlineError>(::testing::StrEq(HttpMessages::kDeadlinePassed)));

    PageFetchOptions defaults;
    EXPECT_EQ(defaults.readTimeoutMs, 9000);
    EXPECT_EQ(defaults.connectTimeoutMs, 10000);
    EXPECT_EQ(defaults.deadlineMs, 30000);
}

TEST(FetchPage, UsesTheProxyTheEnvironmentNames)
{
    LoopbackHttpServer proxy;
    proxy.Enqueue(Reply::Ok("proxied"));
    nimbrell::testing::ScopedEnvironment environment;
    environment.Set("http_proxy", "http://" + proxy.HostPort());
    environment.Set("no_proxy", "localhost");
    environment.Set("NO_PROXY", std::nullopt);
    EXPECT_EQ(FetchPage("http://forecast.example/data/101010100.html", PageEncoding::Utf8), "proxied");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].target, "http://forecast.example/data/101010100.html");
}

}
}
