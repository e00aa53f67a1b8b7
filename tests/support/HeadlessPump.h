// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Waiting for worker threads on the headless back end with its manual clock:
// timers do not run there, so the loop polls the queue instead of blocking.

#include "platform/Application.h"

#include <chrono>
#include <thread>

namespace nimbrell::testing {

// Handles the queued messages until the condition holds (for about five seconds
// at most); returns the condition.
template<typename Condition>
bool PumpUntilWorkersDeliver(Condition condition)
{
    auto& application = platform::Application::Instance();
    for (int i = 0; i < 1000 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        application.ProcessMessages();
    }
    return condition();
}

}
