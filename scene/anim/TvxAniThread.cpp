// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/TvxAniThread.h"

#include "base/Text.h"
#include "platform/Application.h"
#include "scene/core/ISceneHost.h"
#include "scene/anim/TvxAnimation.h"

#include <algorithm>
#include <memory>

namespace nimbrell {

namespace {

constexpr std::uintptr_t timerId = 1;

std::unique_ptr<TvxAniThread>& instanceSlot()
{
    // The window registry the clock unregisters from at exit must outlive it: statics
    // are destroyed in reverse order of construction, so reach the registry first.
    [[maybe_unused]] static const bool registryFirst = (platform::IsWindow(0), true);
    static std::unique_ptr<TvxAniThread> instance;
    return instance;
}

}

TvxAniThread& TvxAniThread::Instance()
{
    auto& slot = instanceSlot();
    if (!slot)
        slot.reset(new TvxAniThread());
    return *slot;
}

TvxAniThread* TvxAniThread::Existing()
{
    return instanceSlot().get();
}

TvxAniThread::TvxAniThread()
    : m_handle(platform::RegisterWindow(*this))
{
    m_startTime = platform::Application::Exists() ? static_cast<double>(platform::Application::Instance().TickCount()) / 1000 : 0;
}

TvxAniThread::~TvxAniThread()
{
    Disarm();
    platform::UnregisterWindow(m_handle);
}

double TvxAniThread::Now() const
{
    if (!platform::Application::Exists())
        return m_time;
    return static_cast<double>(platform::Application::Instance().TickCount()) / 1000 - m_startTime;
}

void TvxAniThread::Arm()
{
    if (!platform::Application::Exists())
        return;
    // Time that passed while idle is not animation time: the first step counts from now.
    if (!m_armed)
        m_time = Now();
    // Setting the interval the timer already has keeps its countdown, and re-arms it in an
    // application that replaced the one it was set in.
    platform::Application::Instance().SetTimer(m_handle, timerId, kInterval);
    m_armed = true;
    AnimationClockArmed() = true;
}

void TvxAniThread::Disarm()
{
    if (!m_armed)
        return;
    if (platform::Application::Exists())
        platform::Application::Instance().KillTimer(m_handle, timerId);
    m_armed = false;
    AnimationClockArmed() = false;
}

void TvxAniThread::Add(TvxAnimation* animation)
{
    if (!Contains(animation))
        m_animations.push_back(animation);
    Arm();
}

void TvxAniThread::Remove(TvxAnimation* animation)
{
    auto it = std::find(m_animations.begin(), m_animations.end(), animation);
    if (it == m_animations.end())
        return;
    m_animations.erase(it);
    if (m_animations.empty())
        Disarm();
}

bool TvxAniThread::Contains(const TvxAnimation* animation) const
{
    return std::find(m_animations.begin(), m_animations.end(), animation) != m_animations.end();
}

void TvxAniThread::WindowProc(platform::Message& message)
{
    if (message.message == platform::WM_TIMER)
        Step();
}

void TvxAniThread::Step()
{
    double now = Now();
    if (!(now > m_time))
        return;
    m_delta = static_cast<float>(now - m_time);
    m_time = now;

    // Backwards, with the index kept inside the list, so that entries leaving the list
    // during their own step are tolerated.
    auto last = [this] { return static_cast<std::ptrdiff_t>(m_animations.size()) - 1; };
    for (std::ptrdiff_t i = last(); i >= 0;) {
        TvxAnimation* animation = m_animations[static_cast<std::size_t>(i)];
        if (animation->Running()) {
            if (EqualsIgnoringAsciiCase(animation->BindingName(), "caret")) {
                // The text caret blinks at a third of the clock's rate.
                if (animation->AdvanceCaretTag() % 3 == 0)
                    animation->ProcessTick(m_delta);
            } else {
                animation->ProcessTick(m_delta);
            }
        }
        i = std::min(i - 1, last());
    }
    if (m_animations.empty())
        Disarm();
}

void FinishAllAnimations()
{
    TvxAniThread* clock = TvxAniThread::Existing();
    for (int round = 0; clock && round < 100 && !clock->Animations().empty(); ++round) {
        std::vector<TvxAnimation*> running = clock->Animations();
        for (TvxAnimation* animation : running) {
            if (!clock->Contains(animation))
                continue;
            // Stop ends a run at its end value; for a looping run the start value is
            // what Stop gives the same run going the other way.
            bool looping = animation->Loop();
            if (looping)
                animation->SetInverse(!animation->Inverse());
            animation->Stop();
            if (looping)
                animation->SetInverse(!animation->Inverse());
        }
    }
}

}
