#include "base/WorkerThread.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>

using namespace nimbrell;

TEST(CloseSignalsDeathTest, ASecondSignalEndsTheProgramAtOnce)
{
    for (int signal : { SIGTERM, SIGINT }) {
        EXPECT_EXIT(
            {
                platform::Application application(std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual));
                application.InstallCloseSignals();
                raise(signal); // asks for a close and goes on
                raise(signal);
                std::_Exit(0);
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
