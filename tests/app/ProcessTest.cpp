// SPDX-License-Identifier: GPL-3.0-or-later
// The real program as a user starts it: a separate process with its own
// environment, closed by a signal.
#include "data/CityDatabase.h"
#include "data/SettingsFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

// Held before the program starts, so no other program can take the port meanwhile.
struct HeldClosedPort {
    nimbrell::test::ClosedPort closedPort;
};

class Program : private HeldClosedPort, public nimbrell::testing::ChildProgram {
public:
    // `environment` then sets (or, with an empty optional, removes) more variables.
    explicit Program(const std::string& temp, const nimbrell::testing::EnvironmentChanges& environment = {})
        : ChildProgram(NIMBRELL_BINARY, {}, [&temp, &environment, closedHost = closedPort.HostPort()] {
            unsetenv("TEMP");
            setenv("XDG_CONFIG_HOME", (temp + "/config").c_str(), 1);
            setenv("XDG_CACHE_HOME", (temp + "/cache").c_str(), 1);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("NIMBRELL_WEATHER_HOST", closedHost.c_str(), 1);
            setenv("NIMBRELL_UPDATE_HOST", closedHost.c_str(), 1);
            nimbrell::testing::ApplyEnvironment(environment);
        })
    {
    }
};

}

TEST(Program, StartsInAnEmptyTempAndSavesItsPositionOnSigterm)
{
    TempDirectory temp;
    Program program(temp.Path().string());
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    EXPECT_NE(program.Output().find("headless"), std::string::npos) << "without a display it says it runs headless";

    int status = program.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << "closes gracefully instead of dying of the signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);

    CityDatabase database(temp / "cache/nimbrell/Nimbrell.db");
    EXPECT_EQ(database.QueryPairs("select name,code from T_weather").size(), 2595u);
    EXPECT_EQ(database.QueryPairs("select code,name from T_weatherConfig").size(), 33u);
    SettingsFile settings(temp / "config/nimbrell/historyLog.ini");
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "500");
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "300");
}

TEST(Program, SigintClosesAsAUserWouldAndKeepsTheStoredPosition)
{
    TempDirectory temp;
    std::filesystem::create_directories(temp / "config/nimbrell");
    SettingsFile settings(temp / "config/nimbrell/historyLog.ini");
    settings.WriteString("CONFIG", "formLeft", "-35");
    settings.WriteString("CONFIG", "formTop", "0x10");
    settings.WriteString("CONFIG", "city", "哈尔滨");

    Program program(temp.Path().string());
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    int status = program.Stop(SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "-35");
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "16");
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "哈尔滨");
}

TEST(Program, HelpAndVersionPrintAndEnd)
{
    auto help = nimbrell::testing::RunChild({ NIMBRELL_BINARY, "--help" });
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.err.empty()) << help.err;
    for (const char* part : { "usage: nimbrell", "--weather-host", "NIMBRELL_UPDATE_HOST", "historyLog.ini" })
        EXPECT_NE(help.out.find(part), std::string::npos) << part;

    auto version = nimbrell::testing::RunChild({ NIMBRELL_BINARY, "--version" });
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "nimbrell " NIMBRELL_VERSION " (build 201108181030)\n");
}

TEST(Program, CommandLineErrorsPrintUsageOnStandardErrorWithStatus2)
{
    for (std::vector<std::string> arguments : { std::vector<std::string> { "--verbose" }, { "--weather-host=" }, { "--update-host" } }) {
        arguments.insert(arguments.begin(), NIMBRELL_BINARY);
        auto run = nimbrell::testing::RunChild(arguments, { { "DISPLAY", std::nullopt } });
        EXPECT_EQ(run.status, 2) << arguments[1];
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("usage: nimbrell"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(arguments[1].substr(0, arguments[1].find('='))), std::string::npos) << run.err;
    }
}

TEST(Program, ADisplayThatCannotBeOpenedIsAnErrorNamingIt)
{
    TempDirectory temp;
    // Nothing listens on display 99 here; a program that ran on regardless would
    // be ended by timeout with 124.
    struct Case {
        std::optional<std::string> display, wayland;
        const char* named;
    };
    for (const auto& [display, wayland, named] : { Case { ":99", std::nullopt, ":99" }, Case { std::nullopt, "wayland-99", "wayland-99" } }) {
        auto run = nimbrell::testing::RunChild({ "timeout", "5", NIMBRELL_BINARY, "--demo" },
            { { "DISPLAY", display }, { "WAYLAND_DISPLAY", wayland }, { "TEMP", std::nullopt }, { "XDG_CACHE_HOME", temp / "cache" },
                { "XDG_CONFIG_HOME", temp / "config" } });
        EXPECT_EQ(run.status, 1) << named << ": " << run.err;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("DISPLAY"), std::string::npos) << "says what to do: " << run.err;
    }
}

TEST(Program, UnusableHomeStartsWithAPrivateFolderAndNamesIt)
{
    TempDirectory temp;
    WriteFile(temp / "home", "a file, so nothing can be created under HOME");
    std::string runtime = temp / "runtime";
    std::filesystem::create_directory(runtime);
    Program program("", { { "XDG_CONFIG_HOME", std::nullopt }, { "XDG_CACHE_HOME", std::nullopt }, { "HOME", temp / "home" }, { "XDG_RUNTIME_DIR", runtime } });
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    for (const char* kind : { "settings folder ", "data directory " })
        EXPECT_NE(program.Output().find(kind + runtime + "/nimbrell/"), std::string::npos) << program.Output();
    EXPECT_EQ(program.Output().find("Unable"), std::string::npos) << program.Output();
    EXPECT_EQ(program.Stop(SIGTERM), 0);
    EXPECT_EQ(SettingsFile(runtime + "/nimbrell/historyLog.ini").ReadString("CONFIG", "formLeft", ""), "500");
    EXPECT_TRUE(std::filesystem::exists(runtime + "/nimbrell/Nimbrell.db"));
    EXPECT_EQ(std::filesystem::status(runtime + "/nimbrell").permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);
}

TEST(Program, MovesAnEarlierBuildsSettingsIntoTheSettingsFolderAndUsesThem)
{
    // An earlier build kept everything in the cache's NimbrellWeather/.
    TempDirectory temp;
    std::string earlier = temp / "cache/NimbrellWeather";
    std::filesystem::create_directories(earlier);
    std::filesystem::permissions(earlier, std::filesystem::perms::owner_all);
    const std::string stored = "[CONFIG]\nformLeft=-35\nformTop=77\ncity=哈尔滨\ncityCode=101050101\n";
    WriteFile(earlier + "/historyLog.ini", stored);
    Program program(temp.Path().string());
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    std::string moved = temp / "config/nimbrell/historyLog.ini";
    EXPECT_NE(program.Output().find("moved " + earlier + "/historyLog.ini -> " + moved), std::string::npos) << program.Output();
    EXPECT_NE(program.Output().find("city code 101050101"), std::string::npos) << "the moved settings are used: " << program.Output();
    EXPECT_NE(program.Output().find("window at (-35, 77)"), std::string::npos) << program.Output();
    EXPECT_EQ(ReadFile(moved), stored) << "moved as it was";
    EXPECT_FALSE(std::filesystem::exists(earlier + "/historyLog.ini"));
    EXPECT_EQ(program.Stop(SIGTERM), 0);
    SettingsFile settings(moved);
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "哈尔滨");
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "77");
}

TEST(Program, RendersTheSettingsWindowWithoutTouchingTheAutostartEntry)
{
    TempDirectory temp;
    nimbrell::test::ClosedPort closedPort;
    std::string picture = temp / "config.png";
    auto run = nimbrell::testing::RunChild({ NIMBRELL_BINARY, "--render", picture, "--window", "config" },
        { { "TEMP", std::nullopt }, { "XDG_CACHE_HOME", temp / "cache" }, { "XDG_CONFIG_HOME", temp / "config" }, { "DISPLAY", std::nullopt },
            { "NIMBRELL_WEATHER_HOST", closedPort.HostPort() }, { "NIMBRELL_UPDATE_HOST", closedPort.HostPort() } });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("the settings window is drawn in " + picture), std::string::npos) << run.err;
    // The picture's header: PNG signature, then the width and height of the window.
    std::string png = nimbrell::testing::ReadFile(picture);
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto bigEndian = [&](std::size_t at) {
        return (std::uint32_t(std::uint8_t(png[at])) << 24) | (std::uint32_t(std::uint8_t(png[at + 1])) << 16)
            | (std::uint32_t(std::uint8_t(png[at + 2])) << 8) | std::uint32_t(std::uint8_t(png[at + 3]));
    };
    EXPECT_EQ(bigEndian(16), 555u);
    EXPECT_EQ(bigEndian(20), 517u);
    EXPECT_FALSE(std::filesystem::exists(temp / "config/autostart/NimbrellWeather.desktop"));
}

// OpenSSL is opened for the first HTTPS request only: the demo service speaks
// plain HTTP on loopback, so a run with it never maps the library.
TEST(Program, ADemoRunNeverOpensTheTlsLibrary)
{
    TempDirectory temp;
    auto run = nimbrell::testing::RunChild({ NIMBRELL_BINARY, "--demo", "--render", temp / "widget.png" },
        { { "TEMP", std::nullopt }, { "XDG_CACHE_HOME", temp / "cache" }, { "XDG_CONFIG_HOME", temp / "config" }, { "DISPLAY", std::nullopt },
            { "LD_DEBUG", "files" } });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("file=libpango-1.0.so.0"), std::string::npos) << "the loader names each library it opens";
    EXPECT_EQ(run.err.find("file=libssl"), std::string::npos);
    EXPECT_EQ(run.err.find("file=libcrypto"), std::string::npos);
}

// A picture that cannot be written ends the render with status 1 and says why.
TEST(Program, RenderEndsWithStatusOneWhenThePictureCannotBeWritten)
{
    TempDirectory temp;
    nimbrell::test::ClosedPort closedPort;
    WriteFile(temp / "a-file", "not a folder");
    struct Case {
        const char* what;
        std::string picture;
    } cases[] = {
        { "a picture in a missing folder", temp / "missing/widget.png" },
        { "a picture under a file", temp / "a-file/widget.png" },
    };
    for (const Case& each : cases) {
        auto run = nimbrell::testing::RunChild({ "timeout", "30", NIMBRELL_BINARY, "--render", each.picture },
            { { "TEMP", std::nullopt }, { "XDG_CACHE_HOME", temp / "cache" }, { "XDG_CONFIG_HOME", temp / "config" }, { "DISPLAY", std::nullopt },
                { "NIMBRELL_WEATHER_HOST", closedPort.HostPort() }, { "NIMBRELL_UPDATE_HOST", closedPort.HostPort() } });
        EXPECT_EQ(run.status, 1) << each.what << ": " << run.err;
        EXPECT_NE(run.err.find("nimbrell: " + each.picture + ": cannot be written"), std::string::npos) << each.what << ": " << run.err;
    }
}

// With no folder it can make (the settings and cache folders under a file, no
// runtime folder, and its last fallback in /tmp taken by a file), the start
// stops before asking for weather: the render ends with status 1 at once instead
// of waiting for an answer that never comes. A private /tmp needs a user and
// mount namespace of the test's own.
TEST(Program, RenderEndsWithStatusOneWhenTheStartCannotMakeItsFolders)
{
    if (nimbrell::testing::RunChild({ "unshare", "-Urm", "true" }).status != 0)
        GTEST_SKIP() << "no user namespaces here for a private /tmp";
    nimbrell::test::ClosedPort closedPort;
    auto run = nimbrell::testing::RunChild({ "unshare", "-Urm", "sh", "-c",
                                               "mount -t tmpfs tmpfs /tmp && : > /tmp/a-file && : > /tmp/nimbrell-$(id -u) && exec timeout 30 " NIMBRELL_BINARY " --render /tmp/widget.png" },
        { { "TEMP", std::nullopt }, { "XDG_RUNTIME_DIR", std::nullopt }, { "HOME", "/tmp/a-file" }, { "XDG_CONFIG_HOME", "/tmp/a-file/config" },
            { "XDG_CACHE_HOME", "/tmp/a-file/cache" }, { "DISPLAY", std::nullopt }, { "NIMBRELL_WEATHER_HOST", closedPort.HostPort() },
            { "NIMBRELL_UPDATE_HOST", closedPort.HostPort() } });
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("nimbrell: the widget could not start: Unable to create directory /tmp/a-file/config/nimbrell/"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("is drawn"), std::string::npos) << run.err;
}

TEST(Program, DrawsWithItsOwnFacesExactlyWhatTheInstalledFamiliesDraw)
{
    TempDirectory withFaces;
    // Where the faces cannot be written, text comes from the installed families.
    TempDirectory without;
    std::filesystem::create_directories(without / "cache/nimbrell");
    WriteFile(without / "cache/nimbrell/fonts", "not a folder");
    const std::vector<std::vector<std::string>> windows { {}, { "--panel" }, { "--window", "config" }, { "--window", "update" } };
    for (const auto& window : windows) {
        std::string pictures[2];
        int i = 0;
        for (const TempDirectory* temp : { &withFaces, &without }) {
            pictures[i] = *temp / "picture.png";
            std::vector<std::string> command { NIMBRELL_BINARY, "--demo", "--render", pictures[i] };
            command.insert(command.end(), window.begin(), window.end());
            auto run = nimbrell::testing::RunChild(command, { { "TEMP", std::nullopt }, { "XDG_CACHE_HOME", *temp / "cache" }, { "XDG_CONFIG_HOME", *temp / "config" }, { "DISPLAY", std::nullopt } });
            ASSERT_EQ(run.status, 0) << run.err;
            ++i;
        }
        std::string drawn = nimbrell::testing::ReadFile(pictures[0]);
        EXPECT_GT(drawn.size(), 1000u);
        EXPECT_TRUE(drawn == nimbrell::testing::ReadFile(pictures[1])) << (window.empty() ? "the widget" : window.back());
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(withFaces / "cache/nimbrell/fonts/NimbrellSans-Bold.otf"));
}

TEST(Program, EndedThroughTimeoutItSavesItsPositionAndLeavesNoScratchFile)
{
    // `timeout` passes its SIGTERM to the program and then to the whole group:
    // the copy must not cut the close-time save short.
    TempDirectory temp;
    std::string settingsFolder = temp / "config/nimbrell";
    std::filesystem::create_directories(settingsFolder);
    WriteFile(settingsFolder + "/historyLog.ini.Xk29aQ", "left by a kill");
    nimbrell::test::ClosedPort closedPort;
    nimbrell::testing::ChildProgram program("/usr/bin/timeout", { "20", NIMBRELL_BINARY }, [&] {
        unsetenv("TEMP");
        setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (temp / "cache").c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("NIMBRELL_WEATHER_HOST", closedPort.HostPort().c_str(), 1);
    });
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    EXPECT_FALSE(std::filesystem::exists(settingsFolder + "/historyLog.ini.Xk29aQ")) << "removed at the start";

    int status = program.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << program.Output();
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the program closed as a user would, and timeout passes its status on";
    SettingsFile settings(settingsFolder + "/historyLog.ini");
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "500");
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "300");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(settingsFolder))
        names.push_back(entry.path().filename().string());
    for (const auto& name : names)
        EXPECT_EQ(name.find("historyLog.ini."), std::string::npos) << name;
}

// Closing asks the workers to stop and waits a moment for them; one held in the middle of
// a fetch past that is left behind, and the program ends without destroying the objects
// the worker may still use (the sanitized build would see a use after destruction).
TEST(Program, ClosesPromptlyWithAWorkerHeldMidFetch)
{
    TempDirectory temp;
    nimbrell::test::LoopbackHttpServer server;
    std::promise<void> asked;
    std::once_flag once;
    server.SetHandler([&](const nimbrell::test::ReceivedRequest&) {
        std::call_once(once, [&] { asked.set_value(); });
        return nimbrell::test::Reply::Head(200, "OK", { "Content-Length: 4096" }).Send("{\"weatherinfo\":").Stall();
    });
    Program program(temp.Path().string(), { { "NIMBRELL_WEATHER_HOST", server.HostPort() } });
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    ASSERT_EQ(asked.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready) << program.Output();

    int status = program.Stop(SIGTERM);
    const std::string& output = program.AllOutput();
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("leaving a worker that did not stop in time"), std::string::npos) << output;
    EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
}

TEST(Program, RenderOfTheSettingsWindowShowsTheStoredAutostartTicked)
{
    nimbrell::test::ClosedPort closedPort;
    std::string drawn[2];
    for (int autoRun : { 0, 1 }) {
        TempDirectory temp;
        std::filesystem::create_directories(temp / "config/nimbrell");
        WriteFile(temp / "config/nimbrell/historyLog.ini", "[CONFIG]\nautoRun=" + std::to_string(autoRun) + "\n");
        std::string picture = temp / "config.png";
        auto run = nimbrell::testing::RunChild({ NIMBRELL_BINARY, "--render", picture, "--window", "config" },
            { { "XDG_CACHE_HOME", temp / "cache" }, { "XDG_CONFIG_HOME", temp / "config" }, { "DISPLAY", std::nullopt },
                { "NIMBRELL_WEATHER_HOST", closedPort.HostPort() }, { "NIMBRELL_UPDATE_HOST", closedPort.HostPort() } });
        ASSERT_EQ(run.status, 0) << run.err;
        drawn[autoRun] = nimbrell::testing::ReadFile(picture);
    }
    EXPECT_NE(drawn[0], drawn[1]) << "the tick is drawn finished, not at its first frame";
}
