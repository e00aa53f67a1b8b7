// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A periodic UI-thread timer with an interval and an enabled switch. Setting the
// interval to a different value restarts the countdown; setting the value it
// already has, or enabling it while it runs, does not. Starts disabled.

#include "platform/MessageQueue.h"

#include <cstdint>
#include <functional>

namespace nimbrell::platform {

class Timer final : private MessageTarget {
public:
    explicit Timer(std::function<void()> onTimer = {});
    ~Timer() override;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t intervalMs);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    void SetOnTimer(std::function<void()> onTimer) { m_onTimer = std::move(onTimer); }

private:
    void WindowProc(Message& message) override;
    void Update();

    std::function<void()> m_onTimer;
    HWND m_handle { 0 };
    std::uint32_t m_interval { 1000 };
    bool m_enabled { false };
};

}
