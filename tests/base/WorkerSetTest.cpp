// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace nimbrell {
namespace {

using namespace std::chrono_literals;

// A worker that waits until its token is triggered or the test lets it go.
struct Gate {
    std::mutex mutex;
    std::condition_variable_any changed;
    bool open { false };
    std::atomic<int> started { 0 };
    std::atomic<int> sawStop { 0 };

    void waitIn(std::stop_token stop, bool heedStop)
    {
        std::unique_lock lock(mutex);
        ++started;
        changed.notify_all();
        if (heedStop)
            changed.wait(lock, stop, [&] { return open; });
        else
            changed.wait(lock, [&] { return open; });
        if (stop.stop_requested())
            ++sawStop;
    }

    void waitForStarted(int count)
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return started == count; });
    }

    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

TEST(WorkerSet, StopAllWakesWorkersThatWatchTheirTokenAndJoinsThem)
{
    Gate gate;
    WorkerSet workers;
    for (int i = 0; i < 3; ++i)
        workers.Start([&](std::stop_token stop) { gate.waitIn(stop, true); });
    gate.waitForStarted(3);
    EXPECT_EQ(workers.Running(), 3);

    EXPECT_TRUE(workers.StopAll(60s));
    EXPECT_EQ(workers.Running(), 0);
    EXPECT_EQ(gate.sawStop, 3);

    // Once stopping, nothing more starts.
    std::atomic<bool> ran { false };
    workers.Start([&](std::stop_token) { ran = true; });
    EXPECT_TRUE(workers.StopAll(60s));
    EXPECT_FALSE(ran);
}

TEST(WorkerSet, AWorkerHeldPastTheBoundIsReportedAndJoinedLater)
{
    Gate gate;
    {
        WorkerSet workers;
        workers.Start([&](std::stop_token stop) { gate.waitIn(stop, false); });
        workers.Start([&](std::stop_token stop) { gate.waitIn(stop, true); });
        gate.waitForStarted(2);

        EXPECT_FALSE(workers.StopAll(50ms)) << "one worker does not watch its token";
        EXPECT_EQ(workers.Running(), 1);
        gate.release();
        // The destructor waits for the held one without bound.
    }
    EXPECT_EQ(gate.sawStop, 2);
}

}
}
