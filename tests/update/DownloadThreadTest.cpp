#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/TestCertificates.h"
#include "tests/update/UnwritableFolder.h"
#include "update/DownloadThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace nimbrell;
using namespace std::chrono_literals;
using nimbrell::testing::MessageRecorder;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using test::Reply;
using Codes = std::vector<std::pair<std::uint32_t, platform::LPARAM>>;

namespace {

const std::pair<std::uint32_t, platform::LPARAM> saved { kDownloadSavedMessage, 1 };
const std::pair<std::uint32_t, platform::LPARAM> failed { kDownloadFailedMessage, 1 };

class DownloadThreadTest : public ::testing::Test {
protected:
    DownloadThreadTest()
    {
        // The worker honours the proxy variables; these servers are reached directly.
        for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY" })
            proxies.Set(name, std::nullopt);
    }

    nimbrell::testing::ScopedEnvironment proxies;
    platform::Application application { std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual) };
    TempDirectory folder;
    MessageRecorder window;
    test::LoopbackHttpServer server;
    DownloadOptions options = quickOptions();

    // A stall fails after 300 ms here instead of the worker's 30 s.
    static DownloadOptions quickOptions()
    {
        DownloadOptions quick;
        quick.readTimeoutMs = 300;
        quick.connectTimeoutMs = 2000;
        return quick;
    }

    std::string target() const { return folder / "nimbrell-new.bin"; }

    Codes download(const std::string& url, const std::string& sha256 = {})
    {
        window.received.clear();
        TTestThread::Run(DownloadRequest { url, window.Handle(), target(), sha256, options });
        application.ProcessMessages();
        return window.Codes();
    }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

}

TEST_F(DownloadThreadTest, PercentIsRoundedUp)
{
    struct Case {
        std::int64_t count, expected;
        int percent;
    } cases[] = {
        { 0, 1000, 0 }, { 1, 1000, 1 }, { 10, 1000, 1 }, { 11, 1000, 2 }, { 999, 1000, 100 }, { 1000, 1000, 100 },
        { 1, std::int64_t(512) << 20, 1 }, { std::int64_t(512) << 20, std::int64_t(512) << 20, 100 }
    };
    for (const auto& c : cases)
        EXPECT_EQ(DownloadPercent(c.count, c.expected), c.percent) << c.count << " of " << c.expected;
}

TEST_F(DownloadThreadTest, ProgressThenTheFileReplacesAnOldOne)
{
    std::string body = "x" + std::string(998, 'y') + "z";
    server.Route("/n.bin", Reply::Head(200, "OK", { "Content-Length: 1000" }).Send(body.substr(0, 1)).Delay(300ms).Send(body.substr(1, 998)).Delay(300ms).Send(body.substr(999)));
    options.readTimeoutMs = 5000; // the pauses are not stalls
    nimbrell::testing::WriteFile(target(), "old build");

    EXPECT_EQ(download(server.Url("/n.bin")), (Codes { { 2025, 1 }, { 2025, 100 }, { 2025, 100 }, saved }));
    EXPECT_EQ(ReadFile(target()), body);
    EXPECT_EQ(folderEntries(), std::vector<std::string> { "nimbrell-new.bin" });
    EXPECT_EQ(std::filesystem::status(target()).permissions(), std::filesystem::perms(0644));
}

TEST_F(DownloadThreadTest, UndeclaredLengthIsSavedWithoutProgress)
{
    server.Route("/close", Reply::Head(200, "OK").Send("read until the close"));
    EXPECT_EQ(download(server.Url("/close")), (Codes { saved }));
    EXPECT_EQ(ReadFile(target()), "read until the close");

    server.Route("/chunked", Reply::Chunked({ "in ", "chunks" }));
    EXPECT_EQ(download(server.Url("/chunked")), (Codes { saved }));
    EXPECT_EQ(ReadFile(target()), "in chunks");
}

TEST_F(DownloadThreadTest, FailuresKeepNothing)
{
    struct Case {
        const char* what;
        Reply reply;
    } cases[] = {
        { "404", Reply::Status(404, "Not Found", std::string(500, 'e')) },
        { "redirect", Reply::Redirect(302, "/elsewhere") },
        { "cut body", Reply::Head(200, "OK", { "Content-Length: 1000" }).Send(std::string(500, 'c')) },
        { "stall", Reply::Head(200, "OK", { "Content-Length: 1000" }).Send(std::string(10, 's')).Stall() },
        { "stall before the head", Reply::Raw("").Stall() },
        { "malformed chunk", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("5\r\nabcde\r\nzz\r\n") },
        { "no last chunk", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("5\r\nabcde\r\n") },
        { "2 GB declared", Reply::Head(200, "OK", { "Content-Length: 2147483648" }).Stall() },
        { "2 GB undeclared", Reply::Head(200, "OK").SendForever(std::string(65536, 'u'), std::size_t(2) << 30) },
    };
    options.maxBodySize = std::int64_t(4) << 20; // the undeclared row ends at 4 MiB, not 512
    for (auto& c : cases) {
        server.Route("/n.bin", c.reply);
        Codes codes = download(server.Url("/n.bin"));
        ASSERT_FALSE(codes.empty()) << c.what;
        EXPECT_EQ(codes.back(), failed) << c.what;
        EXPECT_EQ(std::count(codes.begin(), codes.end(), saved), 0) << c.what;
        EXPECT_TRUE(folderEntries().empty()) << c.what;
        // Error answers and refused lengths show no percentages.
        if (std::string_view(c.what) != "cut body" && std::string_view(c.what) != "stall") {
            EXPECT_EQ(codes, (Codes { failed })) << c.what;
        }
    }
    EXPECT_EQ(download("http://127.0.0.1:1/n.bin"), (Codes { failed }));
}

TEST_F(DownloadThreadTest, OfferedDigestDecidesWhetherTheFileIsKept)
{
    const std::string body = "abc";
    const std::string digest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(Sha256Hex(body), digest);

    server.Route("/n.bin", Reply::Ok(body));
    std::string upper = digest;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    EXPECT_EQ(download(server.Url("/n.bin"), upper), (Codes { { 2025, 100 }, saved }));
    EXPECT_EQ(ReadFile(target()), body);

    nimbrell::testing::WriteFile(target(), "the build before");
    std::string wrong = digest;
    wrong[0] = 'c';
    for (const std::string& expected : { wrong, digest.substr(1), std::string("unreadable") }) {
        EXPECT_EQ(download(server.Url("/n.bin"), expected), (Codes { { 2025, 100 }, failed })) << expected;
        EXPECT_EQ(ReadFile(target()), "the build before");
        EXPECT_EQ(folderEntries().size(), 1u);
    }
}

TEST_F(DownloadThreadTest, HttpsOfferIsFetchedOverVerifiedTls)
{
    TempDirectory certificates;
    test::TestCertificateAuthority authority(certificates.Path().string());
    TempDirectory strangerDirectory;
    test::TestCertificateAuthority stranger(strangerDirectory.Path().string());
    nimbrell::testing::ScopedEnvironment environment;
    environment.Set("SSL_CERT_FILE", authority.CertificateFile());
    environment.Set("SSL_CERT_DIR", certificates.Path().string());

    auto trusted = authority.Issue("trusted");
    test::LoopbackHttpServer secure({ trusted.certificateFile, trusted.keyFile, {} });
    secure.Route("/n.bin", Reply::Ok("sealed build"));
    EXPECT_EQ(download(secure.Url("/n.bin")), (Codes { { 2025, 100 }, saved }));
    EXPECT_EQ(ReadFile(target()), "sealed build");
    std::filesystem::remove(target());

    auto unknown = stranger.Issue("unknown");
    test::LoopbackHttpServer impostor({ unknown.certificateFile, unknown.keyFile, {} });
    impostor.Route("/n.bin", Reply::Ok("forged build"));
    EXPECT_EQ(download(impostor.Url("/n.bin")), (Codes { failed }));
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(DownloadThreadTest, UnwritableOrFullTargetFails)
{
    server.Route("/n.bin", Reply::Ok("small build"));
    {
        nimbrell::testing::UnwritableFolder readOnly(folder.Path().string());
        if (!readOnly.Holds())
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        EXPECT_EQ(download(server.Url("/n.bin")), (Codes { { 2025, 100 }, failed }));
    }
    EXPECT_TRUE(folderEntries().empty());

    // A file size limit stands in for a full disk: the write fails part way.
    server.Route("/n.bin", Reply::Ok(std::string(65536, 'b')));
    rlimit previous {};
    getrlimit(RLIMIT_FSIZE, &previous);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    Codes codes = download(server.Url("/n.bin"));
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), failed);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), saved), 0);
    EXPECT_TRUE(folderEntries().empty());
}
