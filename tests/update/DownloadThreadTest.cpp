// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <sys/wait.h>
#include <unistd.h>

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

    Codes download(const std::string& url, const std::string& sha256 = {}, const std::string& name = "nimbrell-new.bin")
    {
        window.received.clear();
        DownloadRequest request { url, window.Handle(), folder.Path().string(), name, sha256, options };
        TTestThread::Run(request);
        outcome = request.outcome->Load();
        application.ProcessMessages();
        return window.Codes();
    }

    DownloadOutcome outcome;

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

TEST_F(DownloadThreadTest, ProgressThenTheFileBesideAnOldOneOfItsName)
{
    std::string body = "x" + std::string(998, 'y') + "z";
    server.Route("/n.bin", Reply::Head(200, "OK", { "Content-Length: 1000" }).Send(body.substr(0, 1)).Delay(300ms).Send(body.substr(1, 998)).Delay(300ms).Send(body.substr(999)));
    options.readTimeoutMs = 5000; // the pauses are not stalls

    EXPECT_EQ(download(server.Url("/n.bin")), (Codes { { 2025, 1 }, { 2025, 100 }, { 2025, 100 }, saved }));
    EXPECT_EQ(outcome.savedName, "nimbrell-new.bin");
    EXPECT_EQ(ReadFile(target()), body);
    EXPECT_EQ(std::filesystem::status(target()).permissions(), std::filesystem::perms(0644));

    // An existing file is never replaced: the next download goes under a fresh name.
    options.readTimeoutMs = 300;
    server.Route("/n.bin", Reply::Ok("second"));
    EXPECT_EQ(download(server.Url("/n.bin")), (Codes { { 2025, 100 }, saved }));
    EXPECT_EQ(outcome.savedName, "nimbrell-new (2).bin");
    EXPECT_EQ(ReadFile(target()), body);
    EXPECT_EQ(ReadFile(folder / "nimbrell-new (2).bin"), "second");
    auto entries = folderEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string> { "nimbrell-new (2).bin", "nimbrell-new.bin" })) << "no scratch file is left";
}

TEST_F(DownloadThreadTest, OfferedNamesNeverReplaceAFile)
{
    // A copied program with a victim beside it; the offers name the victim and
    // a name at the longest a folder takes, which leaves no room for a longer scratch name.
    nimbrell::testing::WriteFile(folder / "victim.txt", "victim");
    nimbrell::testing::WriteFile(folder / "nimbrell", "program");
    server.Route("/n.bin", Reply::Ok("offered build"));
    const std::string longest(255, 'l');
    struct Case {
        std::string name, savedAs;
    } cases[] = {
        { "victim.txt", "victim (2).txt" },
        { "victim.txt", "victim (3).txt" },
        { longest, longest },
        { longest, std::string(251, 'l') + " (2)" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(download(server.Url("/n.bin"), {}, c.name), (Codes { { 2025, 100 }, saved })) << c.name;
        EXPECT_EQ(outcome.savedName, c.savedAs);
        EXPECT_EQ(ReadFile(folder / c.savedAs), "offered build");
    }
    EXPECT_EQ(ReadFile(folder / "victim.txt"), "victim");
    EXPECT_EQ(ReadFile(folder / "nimbrell"), "program");
    EXPECT_EQ(folderEntries().size(), 6u) << "no scratch file is left";
}

TEST_F(DownloadThreadTest, BodyEndedOnlyByACloseIsNeverKept)
{
    server.Route("/close", Reply::Head(200, "OK").Send("half of a build"));
    EXPECT_EQ(download(server.Url("/close")), (Codes { failed }));
    EXPECT_EQ(outcome.failure, DownloadFailure::Incomplete);

    server.Route("/chunked", Reply::Chunked({ "in ", "chunks" }));
    EXPECT_EQ(download(server.Url("/chunked")), (Codes { saved }));
    EXPECT_EQ(ReadFile(target()), "in chunks");
    std::filesystem::remove(target());

    // Over TLS, a connection cut without close_notify, with no length or part way through one.
    TempDirectory certificates;
    test::TestCertificateAuthority authority(certificates.Path().string());
    nimbrell::testing::ScopedEnvironment environment;
    environment.Set("SSL_CERT_FILE", authority.CertificateFile());
    environment.Set("SSL_CERT_DIR", certificates.Path().string());
    auto trusted = authority.Issue("trusted");
    test::LoopbackHttpServer secure({ trusted.certificateFile, trusted.keyFile, {} });
    secure.Route("/close", Reply::Head(200, "OK").Send("half of a build").CloseWithoutNotice());
    secure.Route("/cut", Reply::Head(200, "OK", { "Content-Length: 100" }).Send("half of a build").CloseWithoutNotice());
    for (const char* path : { "/close", "/cut" }) {
        Codes codes = download(secure.Url(path));
        ASSERT_FALSE(codes.empty()) << path;
        EXPECT_EQ(codes.back(), failed) << path;
        EXPECT_EQ(outcome.failure, DownloadFailure::Incomplete) << path;
    }
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(DownloadThreadTest, FailuresKeepNothingAndSayWhy)
{
    struct Case {
        const char* what;
        Reply reply;
        DownloadFailure failure;
    } cases[] = {
        { "404", Reply::Status(404, "Not Found", std::string(500, 'e')), DownloadFailure::HttpStatus },
        { "503 without a length", Reply::Head(503, "Service Unavailable").Send("busy"), DownloadFailure::HttpStatus },
        { "redirect", Reply::Redirect(302, "/elsewhere"), DownloadFailure::HttpStatus },
        { "cut body", Reply::Head(200, "OK", { "Content-Length: 1000" }).Send(std::string(500, 'c')), DownloadFailure::Incomplete },
        { "stall", Reply::Head(200, "OK", { "Content-Length: 1000" }).Send(std::string(10, 's')).Stall(), DownloadFailure::TimedOut },
        { "stall before the head", Reply::Raw("").Stall(), DownloadFailure::TimedOut },
        { "malformed chunk", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("5\r\nabcde\r\nzz\r\n"), DownloadFailure::Incomplete },
        { "no last chunk", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).Send("5\r\nabcde\r\n"), DownloadFailure::Incomplete },
        { "2 GB declared", Reply::Head(200, "OK", { "Content-Length: 2147483648" }).Stall(), DownloadFailure::TooLarge },
        { "2 GB in chunks", Reply::Head(200, "OK", { "Transfer-Encoding: chunked" }).SendForever("8000\r\n" + std::string(0x8000, 'u') + "\r\n", std::size_t(2) << 30), DownloadFailure::TooLarge },
    };
    options.maxBodySize = std::int64_t(4) << 20; // the chunked row ends at 4 MiB, not 512
    for (auto& c : cases) {
        server.Route("/n.bin", c.reply);
        Codes codes = download(server.Url("/n.bin"));
        ASSERT_FALSE(codes.empty()) << c.what;
        EXPECT_EQ(codes.back(), failed) << c.what;
        EXPECT_EQ(outcome.failure, c.failure) << c.what;
        EXPECT_EQ(std::count(codes.begin(), codes.end(), saved), 0) << c.what;
        EXPECT_TRUE(folderEntries().empty()) << c.what;
        // Error answers and refused lengths show no percentages.
        if (std::string_view(c.what) != "cut body" && std::string_view(c.what) != "stall") {
            EXPECT_EQ(codes, (Codes { failed })) << c.what;
        }
    }
    EXPECT_EQ(download("http://127.0.0.1:1/n.bin"), (Codes { failed }));
    EXPECT_EQ(outcome.failure, DownloadFailure::Connection);
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
        EXPECT_EQ(outcome.failure, DownloadFailure::DigestMismatch);
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
    EXPECT_EQ(outcome.failure, DownloadFailure::Certificate);
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
        EXPECT_EQ(outcome.failure, DownloadFailure::FolderNotWritable);
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
    EXPECT_EQ(outcome.failure, DownloadFailure::WriteFailed);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), saved), 0);
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(DownloadThreadTest, NeverIntoAnotherUsersFolder)
{
    server.Route("/n.bin", Reply::Ok("build"));
    // Root's own folder for an ordinary user; a folder given to "nobody" for root.
    std::string foreign = "/tmp";
    TempDirectory given;
    if (geteuid() == 0) {
        foreign = given.Path().string();
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    }
    window.received.clear();
    DownloadRequest request { server.Url("/n.bin"), window.Handle(), foreign, "nimbrell-foreign-test.bin", {}, options };
    TTestThread::Run(request);
    application.ProcessMessages();
    EXPECT_EQ(window.Codes().back(), failed);
    EXPECT_EQ(request.outcome->Load().failure, DownloadFailure::FolderNotWritable);
    EXPECT_FALSE(std::filesystem::exists(foreign + "/nimbrell-foreign-test.bin"));
}

TEST_F(DownloadThreadTest, ScratchFilesOfAnEarlierRunAreRemoved)
{
    nimbrell::testing::WriteFile(folder / ".nimbrell-download-Ab3xZ9", "left by a crash");
    nimbrell::testing::WriteFile(folder / ".nimbrell-download-notours", "not the pattern");
    server.Route("/n.bin", Reply::Ok("build"));
    EXPECT_EQ(download(server.Url("/n.bin")), (Codes { { 2025, 100 }, saved }));
    auto entries = folderEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string> { ".nimbrell-download-notours", "nimbrell-new.bin" }));
}

TEST_F(DownloadThreadTest, EndedByASignalDuringTheWriteLeavesNoScratchFile)
{
    server.Route("/n.bin", Reply::Ok(std::string(std::size_t(4) << 20, 'w')));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The write passes a 1 MiB file size limit part way, and that ends
        // the process by SIGTERM right there, as a session's end would.
        rlimit small { 1 << 20, 1 << 20 };
        setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGXFSZ, [](int) { raise(SIGTERM); });
        DownloadRequest request { server.Url("/n.bin"), 0, folder.Path().string(), "nimbrell-new.bin", {}, options };
        TTestThread::Run(request);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the download ended without a write past the limit";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(folderEntries().empty()) << "no scratch file and no part of the build is left";
}
