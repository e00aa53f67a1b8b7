// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The base of the time-based animations: a non-visual scene object placed as a child of
// the object it animates. A run moves its time from 0 to Duration (backwards when
// Inverse) on the steps of the animation clock (TvxAniThread), turns it into eased
// progress (NormalizedTime), and a subclass writes the resulting value into a property
// of its parent in ProcessAnimation. Trigger strings start runs when a state property of
// a scene object changes.

#include "scene/anim/TvxInterpolation.h"
#include "scene/core/TvxObject.h"
#include "scene/visual/TvxVisualObject.h"

#include <string>
#include <string_view>

namespace nimbrell {

class TvxAnimation : public TvxObject, public IAnimationRole {
    NIMBRELL_CLASS(TvxAnimation)
public:
    explicit TvxAnimation(TvxComponent* owner);
    ~TvxAnimation() override;

    // Seconds.
    float Duration() const { return m_duration; }
    void SetDuration(float value) { m_duration = value; }
    float Delay() const { return m_delay; }
    void SetDelay(float value) { m_delay = value; }
    bool Inverse() const { return m_inverse; }
    void SetInverse(bool value) { m_inverse = value; }
    const std::string& Trigger() const { return m_trigger; }
    void SetTrigger(std::string_view value) { m_trigger = std::string(value); }
    const std::string& TriggerInverse() const { return m_triggerInverse; }
    void SetTriggerInverse(std::string_view value) { m_triggerInverse = std::string(value); }
    bool Loop() const { return m_loop; }
    void SetLoop(bool value) { m_loop = value; }
    // With Loop: bounce back and forth instead of restarting.
    bool AutoReverse() const { return m_autoReverse; }
    void SetAutoReverse(bool value) { m_autoReverse = value; }
    // Freezes a run while set.
    bool Pause() const { return m_pause; }
    void SetPause(bool value) { m_pause = value; }
    bool Running() const { return m_running; }
    // Stored and read; has no effect.
    bool HideOnFinish() const { return m_hideOnFinish; }
    void SetHideOnFinish(bool value) { m_hideOnFinish = value; }
    TvxInterpolationType Interpolation() const { return m_interpolation; }
    void SetInterpolation(TvxInterpolationType value) { m_interpolation = value; }
    TvxAnimationType AnimationType() const { return m_animationType; }
    void SetAnimationType(TvxAnimationType value) { m_animationType = value; }
    // The running state as a property: writing another value starts (true) or stops
    // (false) the animation, except in design mode and while loading.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);

    // Position within the run (seconds) and the delay still to wait.
    float CurrentTime() const { return m_time; }
    float DelayTime() const { return m_delayTime; }
    // The eased progress of the current time, 0 while delayed.
    float NormalizedTime() const;

    TvxNotifyEvent OnFinish;
    TvxNotifyEvent OnProcess;

    // Virtual operations.
    // Writes the current value to the target; nothing in the base class.
    virtual void ProcessAnimation() { }
    void Start() override;
    // Ends the run at its end value: the target gets the stop value (the start value when
    // Inverse), OnFinish is raised.
    void Stop() override;
    // Ends the run where it is: the target keeps its current value.
    virtual void StopAtCurrent();
    // Starts backwards when the inverse trigger mentions the name and holds for instance,
    // else forwards when the trigger does.
    void StartTrigger(TvxObject* instance, std::string_view trigger) override;
    // StartTrigger, then runs the message loop until the run ends.
    void StartTriggerWait(TvxObject* instance, std::string_view trigger) override;
    bool HasTrigger() const override { return !m_trigger.empty(); }

    // One clock step of delta seconds.
    void ProcessTick(float delta);
    // The caret blink counter the clock keeps for animations bound as "caret".
    int AdvanceCaretTag() { return ++m_caretTag; }

    IAnimationRole* AsAnimation() override { return this; }
    void Loaded() override;

protected:
    void BeforeDestruction() override;
    bool InDesignMode() const;
    bool ParentHidden() const;

private:
    void LeaveClock();
    void FinishStop(bool writeEndValue);

    float m_duration { 0.2f };
    float m_delay { 0 };
    float m_delayTime { 0 };
    float m_time { 0 };
    bool m_inverse { false };
    std::string m_trigger;
    std::string m_triggerInverse;
    bool m_loop { false };
    bool m_pause { false };
    bool m_running { false };
    bool m_hideOnFinish { false };
    TvxInterpolationType m_interpolation { TvxInterpolationType::vgInterpolationLinear };
    TvxAnimationType m_animationType { TvxAnimationType::vgAnimationIn };
    bool m_enabled { false };
    bool m_autoReverse { false };
    int m_caretTag { 0 };
};

}
