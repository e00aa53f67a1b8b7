// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Autorun.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;

namespace {

class AutorunTest : public ::testing::Test {
protected:
    TempDirectory directory;
    nimbrell::testing::ScopedEnvironment environment;
    void SetUp() override { environment.Set("XDG_CONFIG_HOME", directory.Path().string()); }
};

std::string keyValue(const std::string& entry, const std::string& key)
{
    auto start = entry.find("\n" + key + "=");
    if (start == std::string::npos)
        return "(no " + key + ")";
    start += key.size() + 2;
    return entry.substr(start, entry.find('\n', start) - start);
}

std::string execLine(const std::string& entry)
{
    return keyValue(entry, "Exec");
}

}

TEST_F(AutorunTest, EntryRunsTheProgramAndGoesAway)
{
    std::string path = directory / "autostart/NimbrellWeather.desktop";
    EXPECT_EQ(AutorunEntryPath(), path);
    ASSERT_TRUE(SetRunValue("/opt/nimbrell/bin/nimbrell"));
    std::string entry = ReadFile(path);
    EXPECT_TRUE(entry.starts_with("[Desktop Entry]\n"));
    EXPECT_EQ(execLine(entry), "/opt/nimbrell/bin/nimbrell");
    EXPECT_EQ(keyValue(entry, "TryExec"), "/opt/nimbrell/bin/nimbrell") << "skipped once the program is gone";
    EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0) << entry;

    DeleteRunValue();
    EXPECT_FALSE(std::filesystem::exists(path));
    DeleteRunValue();
    EXPECT_FALSE(std::filesystem::exists(path)) << "deleting a missing entry changes nothing";
}

TEST_F(AutorunTest, PathsWithReservedCharactersAreQuotedForTheExecKey)
{
    // TryExec holds the plain path, as a string value.
    struct Case {
        const char* program;
        const char* exec;
        const char* tryExec;
    } cases[] = {
        { "/home/me/My Apps/nimbrell", "\"/home/me/My Apps/nimbrell\"", "/home/me/My Apps/nimbrell" },
        { "/home/me/100%/nimbrell", "\"/home/me/100%%/nimbrell\"", "/home/me/100%/nimbrell" },
        { "/home/me/a$b/nimbrell", "\"/home/me/a\\\\$b/nimbrell\"", "/home/me/a$b/nimbrell" },
        { "/home/me/a\\b/nimbrell", "\"/home/me/a\\\\\\\\b/nimbrell\"", "/home/me/a\\\\b/nimbrell" },
        // Line breaks and tabs are escaped, so they cannot start a key of their own.
        { "/home/me/a\nX-Injected=1/nimbrell", "\"/home/me/a\\nX-Injected=1/nimbrell\"", "/home/me/a\\nX-Injected=1/nimbrell" },
        { "/home/me/a\tb/nimbrell", "\"/home/me/a\\tb/nimbrell\"", "/home/me/a\\tb/nimbrell" },
        { "/home/me/a\rb/nimbrell", "\"/home/me/a\\rb/nimbrell\"", "/home/me/a\\rb/nimbrell" },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetRunValue(c.program));
        std::string entry = ReadFile(AutorunEntryPath());
        EXPECT_EQ(execLine(entry), c.exec) << c.program;
        EXPECT_EQ(keyValue(entry, "TryExec"), c.tryExec) << c.program;
        EXPECT_EQ(entry.find("\nX-Injected"), std::string::npos);
        EXPECT_EQ(entry.find('\r'), std::string::npos);
    }
}

TEST_F(AutorunTest, UnusablePathsAreNotWritten)
{
    for (std::string program : { std::string("/opt/nimbrell/bin/nimbrell (deleted)"), std::string("/opt/a\x01b/nimbrell"),
             std::string("/opt/a\x7F"
                         "b/nimbrell"),
             std::string() }) {
        EXPECT_FALSE(SetRunValue(program)) << program;
        EXPECT_FALSE(std::filesystem::exists(AutorunEntryPath())) << program;
    }
}

TEST_F(AutorunTest, UnwritablePlaceReportsFailure)
{
    nimbrell::testing::WriteFile(directory / "autostart", "a file, not a folder");
    EXPECT_FALSE(SetRunValue("/usr/bin/nimbrell"));
}

TEST(ProgramPath, IsTheRunningExecutable)
{
    EXPECT_TRUE(std::filesystem::equivalent(ProgramPath(), "/proc/self/exe"));
}
