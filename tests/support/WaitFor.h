// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Waiting for a condition instead of pausing for a fixed time. What moves things
// on between two looks at the condition depends on who makes it come true.

#include "platform/Application.h"
#include "platform/Timer.h"

#include <chrono>
#include <thread>

namespace nimbrell::testing {

struct Pump {
    struct NothingTag { };
    struct QueueTag { };
    struct LoopTag { };
    // Another thread or process: only time passes.
    static constexpr NothingTag Nothing {};
    // Workers on the headless back end, whose manual clock runs no timers: the
    // queued messages are handled, without blocking.
    static constexpr QueueTag Queue {};
    // A real back end: the application's loop runs, one message at a time (a
    // short timer makes sure it comes back while nothing else happens).
    static constexpr LoopTag Loop {};
};

namespace detail {

template<typename Condition, typename Step>
bool Poll(Condition& condition, std::chrono::milliseconds timeout, Step step)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        step();
    }
    return true;
}

}

// Looks at the condition until it holds or the time is up; returns the condition.
// Only the chosen pump's code is compiled in, so waiting without one needs no
// application.
template<typename Condition>
bool WaitFor(Condition&& condition, std::chrono::milliseconds timeout, Pump::NothingTag = Pump::Nothing)
{
    return detail::Poll(condition, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); });
}

template<typename Condition>
bool WaitFor(Condition&& condition, std::chrono::milliseconds timeout, Pump::QueueTag)
{
    return detail::Poll(condition, timeout, [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        platform::Application::Instance().ProcessMessages();
    });
}

template<typename Condition>
bool WaitFor(Condition&& condition, std::chrono::milliseconds timeout, Pump::LoopTag)
{
    platform::Timer tick;
    tick.SetInterval(10);
    tick.SetEnabled(true);
    return detail::Poll(condition, timeout, [] { platform::Application::Instance().HandleMessage(); });
}

// The same, for at most five seconds.
inline constexpr std::chrono::milliseconds DefaultWait { 5000 };

template<typename Condition>
bool WaitFor(Condition&& condition)
{
    return WaitFor(condition, DefaultWait);
}

template<typename Condition>
bool WaitFor(Condition&& condition, Pump::QueueTag pump)
{
    return WaitFor(condition, DefaultWait, pump);
}

template<typename Condition>
bool WaitFor(Condition&& condition, Pump::LoopTag pump)
{
    return WaitFor(condition, DefaultWait, pump);
}

}
