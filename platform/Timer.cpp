// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Timer.h"

#include "platform/Application.h"

namespace nimbrell::platform {

namespace {
constexpr std::uintptr_t kTimerId = 1;
}

Timer::Timer(std::function<void()> onTimer)
    : m_onTimer(std::move(onTimer))
    , m_handle(RegisterWindow(*this))
{
}

Timer::~Timer()
{
    if (Application::Exists())
        Application::Instance().KillTimer(m_handle, kTimerId);
    UnregisterWindow(m_handle);
}

void Timer::SetInterval(std::uint32_t intervalMs)
{
    if (intervalMs == m_interval)
        return;
    m_interval = intervalMs;
    Update();
}

void Timer::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Update();
}

void Timer::Update()
{
    auto& application = Application::Instance();
    application.KillTimer(m_handle, kTimerId);
    if (m_enabled && m_interval > 0)
        application.SetTimer(m_handle, kTimerId, m_interval);
}

void Timer::WindowProc(Message& message)
{
    if (message.message == WM_TIMER && m_onTimer)
        m_onTimer();
}

}
