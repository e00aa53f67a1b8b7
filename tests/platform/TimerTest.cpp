// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

using namespace nimbrell::platform;

namespace {

class TimerTest : public ::testing::Test {
protected:
    int fired { 0 };
    HeadlessBackend* backend { new HeadlessBackend(ClockKind::Manual) };
    Application application { std::unique_ptr<Backend>(backend) };
    Timer timer { [this] { ++fired; } };

    void advance(std::uint64_t ms)
    {
        backend->AdvanceClock(ms);
        application.ProcessMessages();
    }
};

}

TEST_F(TimerTest, FiresOnlyWhenDueAndKeepsRunning)
{
    timer.SetInterval(100);
    advance(1000);
    EXPECT_EQ(fired, 0) << "a disabled timer never fires";
    timer.SetEnabled(true);
    advance(99);
    EXPECT_EQ(fired, 0);
    advance(1);
    EXPECT_EQ(fired, 1);
    advance(100);
    EXPECT_EQ(fired, 2);
    timer.SetEnabled(false);
    advance(500);
    EXPECT_EQ(fired, 2);
}

TEST_F(TimerTest, SameIntervalKeepsTheCountdownAndAnotherRestartsIt)
{
    timer.SetInterval(60000);
    timer.SetEnabled(true);
    advance(40000);
    timer.SetInterval(60000);
    timer.SetEnabled(true);
    advance(20000);
    EXPECT_EQ(fired, 1) << "re-setting the same interval or enabling again must not restart";

    advance(40000);
    timer.SetInterval(7200000);
    advance(20000);
    EXPECT_EQ(fired, 1) << "a different interval restarts the countdown";
    advance(7200000 - 20000);
    EXPECT_EQ(fired, 2);
}

TEST_F(TimerTest, PostedMessagesGoBeforeDueTimers)
{
    struct Target : Window {
        std::vector<std::uint32_t>* order;
        void OnMessage(Message& message) override { order->push_back(message.message); }
    } window;
    std::vector<std::uint32_t> order;
    window.order = &order;
    application.SetTimer(window.Handle(), 9, 50);
    backend->AdvanceClock(60);
    PostMessage(window.Handle(), 2025, 0, 1);
    application.ProcessMessages();
    EXPECT_EQ(order, (std::vector<std::uint32_t> { 2025, WM_TIMER }));
}

TEST(TickCount, IsMonotonic)
{
    HeadlessBackend backend;
    auto first = backend.TickCount();
    auto second = backend.TickCount();
    EXPECT_LE(first, second);
}
