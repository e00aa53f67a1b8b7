// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/TvxAnimation.h"

#include "platform/Application.h"
#include "scene/core/TriggerConditions.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/core/ISceneHost.h"
#include "scene/core/TvxObjectReference.h"

#include <cmath>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxAnimation, TvxObject)
{
    c.Enum("AnimationType", &TvxAnimation::AnimationType, &TvxAnimation::SetAnimationType).Default(TvxAnimationType::vgAnimationIn);
    c.Enum("AutoReverse", &TvxAnimation::AutoReverse, &TvxAnimation::SetAutoReverse).Default(false);
    c.Enum("Enabled", &TvxAnimation::Enabled, &TvxAnimation::SetEnabled).Default(false);
    c.Float("Delay", &TvxAnimation::Delay, &TvxAnimation::SetDelay);
    c.Float("Duration", &TvxAnimation::Duration, &TvxAnimation::SetDuration);
    c.Enum("Interpolation", &TvxAnimation::Interpolation, &TvxAnimation::SetInterpolation)
        .Default(TvxInterpolationType::vgInterpolationLinear);
    c.Enum("Inverse", &TvxAnimation::Inverse, &TvxAnimation::SetInverse).Default(false);
    c.Enum("HideOnFinish", &TvxAnimation::HideOnFinish, &TvxAnimation::SetHideOnFinish).Default(false);
    c.Enum("Loop", &TvxAnimation::Loop, &TvxAnimation::SetLoop).Default(false);
    c.Text("Trigger", &TvxAnimation::Trigger, &TvxAnimation::SetTrigger);
    c.Text("TriggerInverse", &TvxAnimation::TriggerInverse, &TvxAnimation::SetTriggerInverse);
    c.Enum("Pause", &TvxAnimation::Pause, &TvxAnimation::SetPause).NeverStored();
    c.Enum("Running", &TvxAnimation::Running);
    c.Event("OnProcess", &TvxAnimation::OnProcess);
    c.Event("OnFinish", &TvxAnimation::OnFinish);
}

TvxAnimation::TvxAnimation(TvxComponent* owner)
    : TvxObject(owner)
{
}

TvxAnimation::~TvxAnimation()
{
    // Also when destroyed directly rather than through Free.
    LeaveClock();
}

void TvxAnimation::BeforeDestruction()
{
    LeaveClock();
    TvxObject::BeforeDestruction();
}

void TvxAnimation::LeaveClock()
{
    if (TvxAniThread* clock = TvxAniThread::Existing())
        clock->Remove(this);
}

bool TvxAnimation::InDesignMode() const
{
    return Scene() && Scene()->DesignTime();
}

bool TvxAnimation::ParentHidden() const
{
    TvxVisualObject* visual = Parent() ? Parent()->Visual() : nullptr;
    return visual && !visual->Visible();
}

void TvxAnimation::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    if (InDesignMode() || HasState(ComponentState::Loading))
        return;
    if (value)
        Start();
    else
        Stop();
}

void TvxAnimation::Loaded()
{
    TvxObject::Loaded();
    if (m_enabled && !InDesignMode())
        Start();
}

float TvxAnimation::NormalizedTime() const
{
    if (m_duration <= 0 || m_delayTime > 0)
        return 0;
    return static_cast<float>(InterpolateValue(m_interpolation, m_animationType, m_time, 0, 1, m_duration));
}

void TvxAnimation::Start()
{
    if (ParentHidden())
        return;

    if (std::fabs(m_duration) < 0.001f || !Scene() || InDesignMode()) {
        // Completes at once: the target receives the end value of the run. The stored
        // duration is put back afterwards.
        LeaveClock();
        float duration = m_duration;
        m_delayTime = 0;
        m_time = m_inverse ? 0 : 1;
        m_duration = 1;
        m_running = true;
        try {
            ProcessAnimation();
        } catch (...) {
            m_running = false;
            m_time = 0;
            m_duration = duration;
            throw;
        }
        m_running = false;
        m_time = 0;
        m_duration = duration;
        m_enabled = false;
        OnFinish(this);
        return;
    }

    m_delayTime = m_delay;
    m_running = true;
    m_time = m_inverse ? m_duration : 0;
    if (m_delay == 0)
        ProcessAnimation();
    TvxAniThread::Instance().Add(this);
    m_enabled = true;
}

void TvxAnimation::FinishStop(bool writeEndValue)
{
    if (!m_running)
        return;
    LeaveClock();
    // A delayed run stopped now ends at its end value too, not at progress 0.
    m_delayTime = 0;
    m_time = m_inverse ? 0 : m_duration;
    if (writeEndValue)
        ProcessAnimation();
    m_running = false;
    m_enabled = false;
    OnFinish(this);
}

void TvxAnimation::Stop()
{
    FinishStop(true);
}

void TvxAnimation::StopAtCurrent()
{
    FinishStop(false);
}

void TvxAnimation::ProcessTick(float delta)
{
    if (InDesignMode() || HasState(ComponentState::Destroying))
        return;
    if (ParentHidden())
        Stop();
    if (!m_running || m_pause)
        return;

    if (m_delay > 0 && m_delayTime != 0) {
        if (m_delayTime < 0)
            return;
        m_delayTime -= delta;
        if (m_delayTime <= 0) {
            Start();
            m_delayTime = 0;
        }
        return;
    }

    m_time += m_inverse ? -delta : delta;
    if (m_time >= m_duration) {
        m_time = m_duration;
        if (m_loop && m_autoReverse)
            m_inverse = true;
        else if (m_loop)
            m_time = 0;
        else
            m_running = false;
    } else if (m_time <= 0) {
        m_time = 0;
        if (m_loop && m_autoReverse)
            m_inverse = false;
        else if (m_loop)
            m_time = m_duration;
        else
            m_running = false;
    }

    ProcessAnimation();
    OnProcess(this);
    if (!m_running) {
        LeaveClock();
        OnFinish(this);
    }
}

void TvxAnimation::StartTrigger(TvxObject* instance, std::string_view trigger)
{
    if (!instance)
        return;
    if (!m_triggerInverse.empty() && TriggerMentions(m_triggerInverse, trigger)
        && TriggerConditionsHold(*instance, m_triggerInverse)) {
        m_inverse = true;
        Start();
        return;
    }
    if (!m_trigger.empty() && TriggerMentions(m_trigger, trigger) && TriggerConditionsHold(*instance, m_trigger)) {
        if (!m_triggerInverse.empty())
            m_inverse = false;
        Start();
    }
}

void TvxAnimation::StartTriggerWait(TvxObject* instance, std::string_view trigger)
{
    StartTrigger(instance, trigger);
    if (!platform::Application::Exists())
        return;
    auto& application = platform::Application::Instance();
    // The animation may be freed by a handler while the loop runs.
    TvxObjectReference self;
    self.Set(this);
    while (self.Get() && m_running && !application.Terminated())
        application.HandleMessage();
}

}
