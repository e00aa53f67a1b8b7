// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FileWriting.h"
#include "data/SettingsFile.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    TempDirectory directory;
    std::string path { directory / "historyLog.ini" };
    SettingsFile settings { path };
};

}

TEST_F(SettingsFileTest, MissingFileGivesDefaults)
{
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 500), 500);
    EXPECT_EQ(settings.ReadString("CONFIG", "city", "北京"), "北京");
    EXPECT_FALSE(settings.ReadBool("CONFIG", "autoRun", false));
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading never creates the file";
}

TEST_F(SettingsFileTest, IntegerReads)
{
    struct Case {
        const char* stored;
        int expected;
    } cases[] = {
        { "0x1F4", 500 }, { "0X1f4", 500 }, { "abc", 500 }, { "", 500 }, { "0x", 500 }, { "0xZZ", 500 },
        { "-12", -12 }, { "+7", 7 }, { "  42  ", 42 }, { "99999999999", 500 }, { "12abc", 500 },
        { "0xFFFFFFFF", -1 }, { "0x100000000", 500 }, { "\"310\"", 310 }
    };
    for (const auto& c : cases) {
        WriteFile(path, std::string("[CONFIG]\nformLeft=") + c.stored + "\n");
        EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 500), c.expected) << "stored: " << c.stored;
    }
}

TEST_F(SettingsFileTest, BooleanReads)
{
    struct Case {
        const char* stored;
        bool fallback;
        bool expected;
    } cases[] = { { "2", false, true }, { "1", false, true }, { "0", true, false }, { "-1", false, true }, { "yes", true, true }, { "yes", false, false } };
    for (const auto& c : cases) {
        WriteFile(path, std::string("[CONFIG]\nautoRun=") + c.stored + "\n");
        EXPECT_EQ(settings.ReadBool("CONFIG", "autoRun", c.fallback), c.expected) << "stored: " << c.stored;
    }
}

TEST_F(SettingsFileTest, WritesCreateFileAndSectionAndReadBackUnchanged)
{
    settings.WriteString("CONFIG", "city", "哈尔滨");
    settings.WriteInteger("CONFIG", "winSize", 15);
    settings.WriteBool("CONFIG", "autoRun", true);
    EXPECT_EQ(ReadFile(path), "[CONFIG]\ncity=哈尔滨\nwinSize=15\nautoRun=1\n");
    EXPECT_EQ(settings.ReadString("config", "CITY", ""), "哈尔滨") << "names match without regard to case";
    EXPECT_EQ(settings.ReadInteger("CONFIG", "winsize", 10), 15);

    settings.WriteString("config", "WINSIZE", "7");
    EXPECT_EQ(ReadFile(path), "[CONFIG]\ncity=哈尔滨\nwinSize=7\nautoRun=1\n") << "an existing key is replaced in place";
}

TEST_F(SettingsFileTest, WritesKeepOtherSectionsCommentsAndUnknownLines)
{
    WriteFile(path, "; comment\r\n[OTHER]\r\nx=1\r\n\r\n[CONFIG]\r\nformLeft=10\r\n\r\n[LAST]\r\ny=2\r\n");
    settings.WriteInteger("CONFIG", "formTop", 20);
    EXPECT_EQ(ReadFile(path), "; comment\n[OTHER]\nx=1\n\n[CONFIG]\nformLeft=10\nformTop=20\n\n[LAST]\ny=2\n");
    EXPECT_EQ(settings.ReadInteger("OTHER", "x", 0), 1);
    EXPECT_EQ(settings.ReadInteger("LAST", "y", 0), 2);
}

TEST_F(SettingsFileTest, FirstSectionAndFirstKeyWin)
{
    WriteFile(path, "[CONFIG]\ncity=A\ncity=B\n[CONFIG]\ncity=C\n");
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "A");
}

TEST_F(SettingsFileTest, ValueWithLineBreakCannotInjectKeys)
{
    settings.WriteString("CONFIG", "city", "北京\n[CONFIG]\nformLeft=1");
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 500), 500);
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "北京 [CONFIG] formLeft=1");
}

TEST_F(SettingsFileTest, UnwritablePlaceRaisesWithTheFullName)
{
    WriteFile(directory / "plainfile", "x");
    SettingsFile inside(directory / "plainfile/historyLog.ini");
    try {
        inside.WriteInteger("CONFIG", "formLeft", 1);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "无法写入设置文件 " + (directory / "plainfile/historyLog.ini"));
    }
    EXPECT_EQ(ReadFile(directory / "plainfile"), "x");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.Path()), {}), 1) << "no scratch file is left behind";
}

TEST_F(SettingsFileTest, GarbageAndHugeLinesNeitherCrashNorGetLost)
{
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 131 + 7) % 256);
    std::string huge(100000, 'x');
    std::string content = garbage + "\n[CONFIG]\ncity=" + huge + "\nbad=\xC3\x28\xFF\nformLeft=0x1F4\n" + garbage;
    WriteFile(path, content);

    EXPECT_EQ(settings.ReadString("CONFIG", "city", "").size(), 2047u);
    EXPECT_EQ(settings.ReadString("CONFIG", "bad", ""), "\xEF\xBF\xBD(\xEF\xBF\xBD") << "invalid UTF-8 reads as replacement characters";
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 0), 500);

    settings.WriteInteger("CONFIG", "formTop", 300);
    std::string after = ReadFile(path);
    EXPECT_NE(after.find("city=" + huge + "\n"), std::string::npos) << "the long line is kept whole";
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formTop", 0), 300);
}

TEST_F(SettingsFileTest, LongChineseValueIsCutAtWholeCharacters)
{
    std::string value;
    for (int i = 0; i < 3000; ++i)
        value += "天";
    settings.WriteString("CONFIG", "city", value);
    std::string read = settings.ReadString("CONFIG", "city", "");
    EXPECT_EQ(read.size(), 2047u * 3);
    EXPECT_EQ(read, value.substr(0, 2047 * 3));
}

TEST_F(SettingsFileTest, ByteOrderMarkIsReadPastAndKeptOnWrite)
{
    WriteFile(path, "\xEF\xBB\xBF[CONFIG]\nformLeft=7\n");
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 0), 7);
    settings.WriteInteger("CONFIG", "formTop", 8);
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[CONFIG]\nformLeft=7\nformTop=8\n");

    // A second mark is text of the first line, before and after a write.
    WriteFile(path, "\xEF\xBB\xBF\xEF\xBB\xBF[CONFIG]\nformLeft=7\n");
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 0), 0);
    settings.WriteInteger("CONFIG", "formTop", 8);
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formTop", 0), 8);
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 0), 0);
}

TEST_F(SettingsFileTest, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOne)
{
    const SettingsFile::Values before { { "autoRun", "0" }, { "updateInterval", "2" }, { "showMore", "0" },
        { "winSize", "10" }, { "winOpacity", "10" }, { "city", "北京" }, { "cityCode", "101010100" } };
    const SettingsFile::Values after { { "autoRun", "1" }, { "updateInterval", "0" }, { "showMore", "3" },
        { "winSize", "12" }, { "winOpacity", "7" }, { "city", "上海" }, { "cityCode", "101020100" } };
    settings.WriteValues("CONFIG", before);
    for (int round = 0; round < 40; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsFile saving(path);
            for (;;) {
                saving.WriteValues("CONFIG", after);
                saving.WriteValues("CONFIG", before);
            }
        }
        // Kills land at a different point of a save each round.
        timespec pause { 0, 150'000L * (round + 1) };
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        SettingsFile::Values read;
        for (const auto& [key, value] : before)
            read.emplace_back(key, settings.ReadString("CONFIG", key, "missing"));
        EXPECT_TRUE(read == before || read == after) << "round " << round << ": city " << read[5].second << ", cityCode "
                                                     << read[6].second;
        // What the kill left is removed at the next start.
        RemoveLeftScratchFiles({ path });
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.Path()), {}), 1) << "round " << round;
    }
}

TEST_F(SettingsFileTest, OnlyTheScratchFilesOfTheNamedFilesAreRemoved)
{
    WriteFile(path, "[CONFIG]\n");
    for (const char* name : { "historyLog.ini.a1B2c3", "historyLog.ini.Zz9900" })
        WriteFile(directory / name, "left by a kill");
    for (const char* name : { "historyLog.ini.bak", "historyLog.ini.a1B2c3d", "other.ini.a1B2c3", "historyLog.ini.a-B2c3" })
        WriteFile(directory / name, "the user's");
    RemoveLeftScratchFiles({ path });
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "historyLog.ini", "historyLog.ini.a-B2c3", "historyLog.ini.a1B2c3d", "historyLog.ini.bak", "other.ini.a1B2c3" }));
}
