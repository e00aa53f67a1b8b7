// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/MessageRecorder.h"
#include "update/UpdateThread.h"
#include "weather/TextEncoding.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using nimbrell::testing::MessageRecorder;
using Codes = std::vector<std::pair<std::uint32_t, platform::LPARAM>>;

namespace {

constexpr std::int64_t kBuildStamp = 201108181030;

std::string document(const std::string& versionDate, const std::string& rest = ",\"url\":\"http://dl.example/n.exe\",\"name\":\"n.exe\",\"description\":\"新版本\"")
{
    return "{\"updateInfo\":{\"versionDate\":" + versionDate + rest + "}}";
}

class UpdateThreadTest : public ::testing::Test {
protected:
    platform::Application application { std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual) };
    test::LoopbackHttpServer server;
    MessageRecorder window;
    std::shared_ptr<UpdateOfferSlot> slot { std::make_shared<UpdateOfferSlot>() };

    // The body is sent in the system code page, as the update host does.
    Codes run(const std::string& body)
    {
        window.received.clear();
        slot->Store(UpdateOffer { "stale", "", "", "stale" });
        server.Route("/weather/updateInfo.html", test::Reply::Ok(EncodeSystemCodePage(body)));
        ThreadUpdate::Run(UpdateCheckRequest { server.HostPort(), window.Handle(), kBuildStamp, slot, {} });
        application.ProcessMessages();
        return window.Codes();
    }
};

}

TEST_F(UpdateThreadTest, OfferedStampDecides)
{
    struct Case {
        std::string versionDate;
        Codes messages;
    } cases[] = {
        { "\"201108181030\"", { { 11123, 0 } } },
        { "\"201108181031\"", { { 11123, 1 } } },
        { "201108181030", { { 11123, 0 } } },
        { "201108181031", { { 11123, 1 } } },
        { "\"+201108181031\"", { { 11123, 1 } } },
        { "\"-201108181031\"", { { 11123, 0 } } },
        { "\"9223372036854775807\"", { { 11123, 1 } } },
        { "\"9223372036854775808\"", { { 11122, 1 } } },
        { "\"20110818103a\"", { { 11122, 1 } } },
        { "\"\"", { { 11122, 1 } } },
        { "null", { { 11122, 1 } } },
        { "2011081810.5", { { 11122, 1 } } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(document(c.versionDate)), c.messages) << c.versionDate;
}

TEST_F(UpdateThreadTest, OfferIsKeptInFieldOrder)
{
    EXPECT_EQ(run(document("\"201201010000\"")), (Codes { { 11123, 1 } }));
    EXPECT_EQ(slot->Load().url, "http://dl.example/n.exe");
    EXPECT_EQ(slot->Load().name, "n.exe");
    EXPECT_EQ(slot->Load().description, "新版本");
    ASSERT_FALSE(server.Requests().empty());
    EXPECT_EQ(server.Requests().back().target, "/weather/updateInfo.html");
}

TEST_F(UpdateThreadTest, MissingDescriptionFailsWithTheAddressKept)
{
    EXPECT_EQ(run(document("\"201201010000\"", ",\"url\":\"http://dl.example/n.exe\",\"name\":\"n.exe\"")), (Codes { { 11122, 1 } }));
    EXPECT_EQ(slot->Load().url, "http://dl.example/n.exe");
    EXPECT_EQ(slot->Load().name, "n.exe");
    EXPECT_EQ(run(document("\"201201010000\"", ",\"name\":\"n.exe\"")), (Codes { { 11122, 1 } }));
    EXPECT_EQ(slot->Load().url, "") << "a failure before the address was read hands over an empty one";
}

TEST_F(UpdateThreadTest, DocumentShapes)
{
    struct Case {
        std::string body;
        Codes messages;
    } cases[] = {
        { "{ \"updateInfo\":{\"versionDate\":\"201201010000\"}}", {} },
        { "<html><body>{\"updateInfo\":{}}</body></html>", { { 11122, 1 } } },
        { "[{\"updateInfo\":{\"versionDate\":\"201201010000\"}}]", {} },
        { "{\"updateInfo\":[1]}", {} },
        { "{\"a\":{\"updateInfo\":{}}}", { { 11122, 1 } } },
        { "{\"updateInfo\":{\"url\":\"x\"}}", { { 11122, 1 } } },
        { " \r\n\t" + document("\"201108181031\"") + "trailing text", { { 11123, 1 } } },
        { "{\"updateInfo\"", { { 11122, 1 } } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.body), c.messages) << c.body;
}

TEST_F(UpdateThreadTest, UnreachableOrFailingHostEndsWithoutAMessage)
{
    server.Route("/weather/updateInfo.html", test::Reply::Status(500, "Internal Server Error", document("\"201201010000\"")));
    ThreadUpdate::Run(UpdateCheckRequest { server.HostPort(), window.Handle(), kBuildStamp, slot, {} });
    nimbrell::test::ClosedPort closedPort;
    ThreadUpdate::Run(UpdateCheckRequest { closedPort.HostPort(), window.Handle(), kBuildStamp, slot, {} });
    application.ProcessMessages();
    EXPECT_TRUE(window.received.empty());
}

TEST_F(UpdateThreadTest, OptionalDigestIsKeptAsText)
{
    const std::string fields = ",\"url\":\"http://dl.example/n.deb\",\"name\":\"n.deb\",\"description\":\"d\"";
    struct Case {
        std::string member;
        std::string kept;
    } cases[] = {
        { "", "" },
        { ",\"sha256\":null", "" },
        { ",\"sha256\":\"BA7816BF\"", "BA7816BF" },
        { ",\"sha256\":[1]", "unreadable" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(document("\"201201010000\"", fields + c.member)), (Codes { { 11123, 1 } })) << c.member;
        EXPECT_EQ(slot->Load().sha256, c.kept) << c.member;
        EXPECT_EQ(slot->Load().description, "d");
    }
}

TEST_F(UpdateThreadTest, LargeDocumentsAndDescriptionsAreCapped)
{
    // 1 MiB of document at most: a larger one is refused before it is read as a whole.
    std::string padding(std::size_t(1) << 20, ' ');
    EXPECT_EQ(run(document("\"201201010000\"") + padding), Codes {});

    std::string longDescription;
    for (int i = 0; i < 3000; ++i)
        longDescription += "新";
    EXPECT_EQ(run(document("\"201201010000\"", ",\"url\":\"u\",\"name\":\"n\",\"description\":\"" + longDescription + "\"")),
        (Codes { { 11123, 1 } }));
    std::string shown = slot->Load().description;
    EXPECT_EQ(shown, longDescription.substr(0, 2000 * 3)) << "2,000 characters are shown";
}
