// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TempDirectory.h"
#include "tests/update/UnwritableFolder.h"
#include "update/DownloadTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::UnwritableFolder;

TEST(DownloadTargetTest, OnlyPlainFileNamesAreTaken)
{
    struct Case {
        std::string name;
        bool taken;
    } cases[] = {
        { "nimbrell_2.1_amd64.deb", true },
        { "天气预报更新.tar.gz", true },
        { "a.b.c", true },
        { std::string(255, 'a'), true },
        { "\u591a\u00e9\u00a0x", true }, // a no-break space shows as a blank
        // A leading dot names the shell's and the session's files: .bashrc, .profile, .xsessionrc.
        { ".bashrc", false },
        { ".profile", false },
        { ".hidden", false },
        { "..x", false },
        // C1 controls, bidirectional overrides and isolates, other format characters.
        { "a\u0085b", false },
        { "a\u009bb", false },
        { "gpj.\u202eexe.bin", false },
        { "a\u202ab", false },
        { "a\u2066b\u2069", false },
        { "a\u200bb", false },
        { "a\u200fb", false },
        { "a\u00adb", false },
        { "a\ufeffb", false },
        { "a\u2028b", false },
        { "a\U000e0041b", false },
        { "../x", false },
        { "/etc/x", false },
        { "a/b", false },
        { "x/", false },
        { "", false },
        { ".", false },
        { "..", false },
        { std::string(256, 'a'), false },
        { std::string(300, 'a'), false },
        { "..\\x", false },
        { "a\nb", false },
        { "a\tb", false },
        { std::string("a\0b", 3), false },
        { "a\x7f", false },
        { "\xff\xfe.bin", false },
        { "\xc0\xaf", false }, // an overlong '/'
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPlainFileName(c.name), c.taken) << '"' << c.name << '"';
}

TEST(DownloadTargetTest, UserDownloadDirectoryEntry)
{
    const std::string home = "/home/u";
    struct Case {
        std::string file;
        std::string folder;
    } cases[] = {
        { "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n", "/home/u/Downloads" },
        { "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\r\n", "/home/u/下载" },
        { "  XDG_DOWNLOAD_DIR=\"/srv/dl/\"  \n", "/srv/dl" },
        { "XDG_DOWNLOAD_DIR=\"$HOME/my \\\"files\\\"\"\n", "/home/u/my \"files\"" },
        { "XDG_DOWNLOAD_DIR=\"$HOME/\"\n", "" },
        { "XDG_DOWNLOAD_DIR=\"$HOME\"\n", "" },
        { "XDG_DOWNLOAD_DIR=\"$HOMEdir/x\"\n", "" },
        { "XDG_DOWNLOAD_DIR=\"relative/x\"\n", "" },
        { "XDG_DOWNLOAD_DIR=$HOME/unquoted\n", "" },
        { "# XDG_DOWNLOAD_DIR=\"/commented\"\n", "" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadUserDownloadDirectory(c.file, home), c.folder) << c.file;
}

TEST(DownloadTargetTest, FolderChoice)
{
    TempDirectory root;
    std::string program = root / "program";
    std::string home = root / "home";
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(home + "/.config");
    std::filesystem::create_directories(root / "config");

    DownloadFolder writable = ChooseDownloadFolder({ program + "/nimbrell", home, {} });
    EXPECT_EQ(writable.path, program);
    EXPECT_TRUE(writable.isProgramDirectory);
    EXPECT_TRUE(MayReceive(writable, "nimbrell-2.deb"));
    EXPECT_FALSE(MayReceive(writable, "nimbrell")) << "the running program is never replaced";
    EXPECT_FALSE(MayReceive(writable, "../nimbrell-2.deb"));

    UnwritableFolder installed(program);
    ASSERT_TRUE(installed.Holds());

    // No user-dirs.dirs: ~/Downloads, made when missing.
    DownloadFolder fallback = ChooseDownloadFolder({ program + "/nimbrell", home, {} });
    EXPECT_EQ(fallback.path, home + "/Downloads");
    EXPECT_FALSE(fallback.isProgramDirectory);
    EXPECT_TRUE(MayReceive(fallback, "nimbrell"));
    EXPECT_TRUE(std::filesystem::is_directory(fallback.path));

    // user-dirs.dirs under XDG_CONFIG_HOME wins over ~/.config's.
    nimbrell::testing::WriteFile(home + "/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n");
    nimbrell::testing::WriteFile(root / "config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    EXPECT_EQ(ChooseDownloadFolder({ program + "/nimbrell", home, {} }).path, home + "/下载");
    EXPECT_EQ(ChooseDownloadFolder({ program + "/nimbrell", home, root / "config" }).path, home + "/Fetched");
    EXPECT_EQ(ChooseDownloadFolder({ "", home, {} }).path, home + "/下载");
}

TEST(DownloadTargetTest, ProgramFolderOfAnotherUserIsPassedOver)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    TempDirectory root;
    std::string program = root / "program";
    std::filesystem::create_directories(program);
    ASSERT_EQ(chown(program.c_str(), 65534, 65534), 0);
    DownloadFolder chosen = ChooseDownloadFolder({ program + "/nimbrell", root / "home", {} });
    EXPECT_FALSE(chosen.isProgramDirectory) << "writable for root, but not root's";
    EXPECT_EQ(chosen.path, root / "home/Downloads");
}
