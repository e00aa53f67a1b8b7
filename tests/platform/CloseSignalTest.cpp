// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WorkerThread.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <pthread.h>

using namespace nimbrell;

namespace {

void sleepPastTheRepeatWindow()
{
    timespec pause { 1, 100'000'000 };
    while (nanosleep(&pause, &pause) != 0) { }
}

}

TEST(CloseSignalsDeathTest, ASecondSignalEndsTheProgramAtOnceOnlyASecondAfterTheFirst)
{
    for (int signal : { SIGTERM, SIGINT }) {
        // A copy right after the first (timeout's to the process, then to its group) is the same request.
        EXPECT_EXIT(
            {
                platform::Application application(std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual));
                application.InstallCloseSignals();
                raise(signal); // asks for a close and goes on
                raise(signal);
                std::_Exit(7);
            },
            ::testing::ExitedWithCode(7), "")
            << signal;
        EXPECT_EXIT(
            {
                platform::Application application(std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual));
                application.InstallCloseSignals();
                raise(signal);
                sleepPastTheRepeatWindow();
                raise(signal);
                std::_Exit(7);
            },
            ::testing::ExitedWithCode(128 + signal), "")
            << signal;
    }
}

TEST(CloseSignals, AreBlockedInWorkerThreadsOnly)
{
    auto closeSignalsBlocked = [] {
        sigset_t mask;
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        return sigismember(&mask, SIGTERM) == 1 && sigismember(&mask, SIGINT) == 1;
    };
    bool inWorker = false;
    StartWorkerThread([&] { inWorker = closeSignalsBlocked(); }).join();
    EXPECT_TRUE(inWorker);
    EXPECT_FALSE(closeSignalsBlocked()) << "the starting thread gets its mask back";
}
