// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FileWriting.h"
#include "data/SettingsFile.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

mode_t modeOf(const std::string& path)
{
    struct stat info { };
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

}

TEST(PrivateFolder, IsCreatedClosedAndRefusedWhenOthersCanChangeIt)
{
    TempDirectory shared;
    std::filesystem::create_directory(shared / "elsewhere");
    struct Case {
        const char* what;
        std::function<void(const std::string&)> plant;
        FolderCheck check;
        mode_t modeAfter;
    } cases[] = {
        { "missing", [](const std::string&) {}, FolderCheck::Ready, 0700 },
        { "ours, readable by others", [](const std::string& p) { mkdir(p.c_str(), 0755); chmod(p.c_str(), 0755); }, FolderCheck::Ready, 0700 },
        { "open to everyone", [](const std::string& p) { mkdir(p.c_str(), 0777); chmod(p.c_str(), 0777); }, FolderCheck::Untrusted, 0777 },
        { "open to the group", [](const std::string& p) { mkdir(p.c_str(), 0770); chmod(p.c_str(), 0770); }, FolderCheck::Untrusted, 0770 },
        { "a link to a folder", [&](const std::string& p) { symlink((shared / "elsewhere").c_str(), p.c_str()); }, FolderCheck::Untrusted, 0777 },
        { "a file", [](const std::string& p) { WriteFile(p, "x"); }, FolderCheck::Failed, 0 },
    };
    int index = 0;
    for (const auto& c : cases) {
        std::string path = shared / ("case" + std::to_string(index++));
        c.plant(path);
        EXPECT_EQ(PreparePrivateFolder(path + "/"), c.check) << c.what;
        if (c.modeAfter)
            EXPECT_EQ(modeOf(path), c.modeAfter) << c.what;
    }
}

TEST(PrivateFolder, SomeoneElsesFolderIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a folder away needs root";
    TempDirectory shared;
    std::string path = shared / "NimbrellWeather";
    mkdir(path.c_str(), 0700);
    ASSERT_EQ(chown(path.c_str(), 4242, 4242), 0);
    EXPECT_EQ(PreparePrivateFolder(path), FolderCheck::Untrusted);
}

TEST(RegularFile, OnlyPlainFilesOfBoundedSizeAreRead)
{
    TempDirectory directory;
    WriteFile(directory / "plain", "[CONFIG]\nformLeft=1\n");
    symlink((directory / "plain").c_str(), (directory / "link").c_str());
    mkfifo((directory / "pipe").c_str(), 0600);
    WriteFile(directory / "large", std::string(4097, 'x'));

    EXPECT_EQ(ReadRegularFile(directory / "plain", 4096), "[CONFIG]\nformLeft=1\n");
    EXPECT_EQ(ReadRegularFile(directory / "link", 4096), std::nullopt);
    EXPECT_EQ(ReadRegularFile(directory / "pipe", 4096), std::nullopt) << "must not block either";
    EXPECT_EQ(ReadRegularFile(directory / "large", 4096), std::nullopt);
    EXPECT_EQ(ReadRegularFile(directory / "missing", 4096), std::nullopt);
}

TEST(RegularFile, WritesArePrivateAndReplaceLinksWithoutFollowingThem)
{
    TempDirectory directory;
    std::string victim = directory / "victim";
    WriteFile(victim, "untouched");
    std::string settingsPath = directory / "historyLog.ini";
    symlink(victim.c_str(), settingsPath.c_str());

    SettingsFile settings(settingsPath);
    EXPECT_EQ(settings.ReadString("CONFIG", "x", "fallback"), "fallback") << "a link reads as missing";
    settings.WriteInteger("CONFIG", "formLeft", 7);
    EXPECT_EQ(ReadFile(victim), "untouched");
    EXPECT_EQ(modeOf(settingsPath), 0600);
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 0), 7);

    WriteFile(settingsPath, "[CONFIG]\nformLeft=1\n" + std::string(2u << 20, ';'));
    EXPECT_EQ(settings.ReadInteger("CONFIG", "formLeft", 0), 0) << "an oversized file reads as missing";
}

TEST(OwnFile, IsMovedOnlyFromAFolderOfItsOwnAndNeverOverAnotherFile)
{
    TempDirectory temp;
    std::filesystem::create_directories(temp / "old");
    std::filesystem::permissions(temp / "old", std::filesystem::perms::owner_all);
    std::filesystem::create_directories(temp / "new");
    std::string from = temp / "old/historyLog.ini", to = temp / "new/historyLog.ini";

    WriteFile(from, "[CONFIG]\nformLeft=13\n");
    EXPECT_TRUE(MoveOwnFile(from, to, 1024));
    EXPECT_EQ(ReadFile(to), "[CONFIG]\nformLeft=13\n");
    EXPECT_FALSE(std::filesystem::exists(from));
    EXPECT_FALSE(MoveOwnFile(from, to, 1024)) << "nothing left to move";

    WriteFile(from, "older");
    EXPECT_FALSE(MoveOwnFile(from, to, 1024)) << "an existing file is kept";
    EXPECT_EQ(ReadFile(to), "[CONFIG]\nformLeft=13\n");
    EXPECT_EQ(ReadFile(from), "older");

    // A link is not a file of the user's to move; nor is anything in a folder others may change.
    std::filesystem::remove(to);
    std::filesystem::remove(from);
    WriteFile(temp / "secret", "not settings");
    std::filesystem::create_symlink(temp / "secret", from);
    EXPECT_FALSE(MoveOwnFile(from, to, 1024));
    std::filesystem::remove(from);
    WriteFile(from, "planted");
    std::filesystem::permissions(temp / "old", std::filesystem::perms::all);
    EXPECT_FALSE(MoveOwnFile(from, to, 1024));
    EXPECT_FALSE(std::filesystem::exists(to));
}

TEST(OwnFile, IsCopiedPrivatelyAcrossFileSystemsThenRemoved)
{
    TempDirectory temp;
    std::string shm = "/dev/shm/nimbrell-test-XXXXXX";
    struct stat here {
    }, there {};
    if (stat(temp.Path().c_str(), &here) != 0 || !mkdtemp(shm.data()))
        GTEST_SKIP() << "no second file system";
    std::shared_ptr<void> removed(nullptr, [&](void*) { std::filesystem::remove_all(shm); });
    if (stat(shm.c_str(), &there) != 0 || there.st_dev == here.st_dev)
        GTEST_SKIP() << "no second file system";
    std::string from = temp / "historyLog.ini", away = shm + "/historyLog.ini";
    WriteFile(from, "[CONFIG]\nformLeft=13\n");
    chmod(from.c_str(), 0644);
    EXPECT_TRUE(MoveOwnFile(from, away, 1024));
    EXPECT_EQ(ReadFile(away), "[CONFIG]\nformLeft=13\n");
    EXPECT_EQ(modeOf(away), 0600u);
    EXPECT_FALSE(std::filesystem::exists(from));
    // Beyond the size limit it stays.
    WriteFile(from, std::string(2000, 'x'));
    std::filesystem::remove(away);
    EXPECT_FALSE(MoveOwnFile(from, away, 1024));
    EXPECT_TRUE(std::filesystem::exists(from));
    EXPECT_FALSE(std::filesystem::exists(away));
}
