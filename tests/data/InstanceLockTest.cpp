// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/InstanceLock.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace nimbrell;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    TempDirectory temp;
    std::string runtime = temp / "runtime/";
    std::string settings = temp / "settings";

    void SetUp() override
    {
        std::filesystem::create_directories(runtime);
        std::filesystem::create_directories(settings);
    }

    InstanceLock::Place place() { return *InstanceLock::PlaceFor(settings, { runtime }); }
};

}

TEST_F(InstanceLockTest, OneHolderAndALaterStartIsHeardOnceListening)
{
    auto first = InstanceLock::TryTake(place());
    ASSERT_TRUE(first);
    EXPECT_FALSE(InstanceLock::TryTake(place())) << "the lock is held";

    // A start asking before the holder listens waits in the socket's queue.
    std::atomic<int> heard { 0 };
    std::atomic<bool> answered { false };
    std::thread later([&] { answered = InstanceLock::AskRunningCopy(place(), 5s); });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(answered);
    first->Listen([&] { ++heard; });
    later.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(InstanceLock::AskRunningCopy(place(), 1s));
    EXPECT_EQ(heard, 2);

    struct stat info { };
    ASSERT_EQ(stat(place().socketFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    first->StopListening();
    EXPECT_FALSE(InstanceLock::AskRunningCopy(place(), 300ms)) << "no one listens";
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(place().socketFile));
    EXPECT_TRUE(InstanceLock::TryTake(place())) << "the lock went with its holder";
}

TEST_F(InstanceLockTest, AStaleSocketFileIsReplaced)
{
    // What a copy that was killed leaves: a bound socket no one listens on.
    int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string path = place().socketFile;
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(stale);
    EXPECT_FALSE(InstanceLock::AskRunningCopy(place(), 200ms));

    auto lock = InstanceLock::TryTake(place());
    ASSERT_TRUE(lock);
    std::atomic<int> heard { 0 };
    lock->Listen([&] { ++heard; });
    EXPECT_TRUE(InstanceLock::AskRunningCopy(place(), 2s));
    EXPECT_EQ(heard, 1);
}

TEST_F(InstanceLockTest, APlaceBelongsToTheSettingsFolderWhateverItsSpelling)
{
    std::filesystem::create_directories(temp / "other");
    std::filesystem::create_symlink(settings, temp / "link");
    auto chosen = place();
    EXPECT_EQ(chosen.lockFile.rfind(runtime, 0), 0u);
    EXPECT_EQ(InstanceLock::PlaceFor(temp / "link/", { runtime })->lockFile, chosen.lockFile);
    EXPECT_EQ(InstanceLock::PlaceFor(temp / "./settings/", { runtime })->socketFile, chosen.socketFile);
    EXPECT_NE(InstanceLock::PlaceFor(temp / "other", { runtime })->lockFile, chosen.lockFile);

    // A folder whose socket path would not fit a socket address is passed over.
    std::string deep = runtime + std::string(120, 'd') + "/";
    EXPECT_EQ(InstanceLock::PlaceFor(settings, { deep, runtime })->lockFile, chosen.lockFile);
    EXPECT_FALSE(InstanceLock::PlaceFor(settings, { deep }));
}
