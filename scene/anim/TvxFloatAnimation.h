// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Moves a 32-bit float property of the parent (or of an object on a dotted path from it)
// from StartValue to StopValue.

#include "scene/anim/AnimationTarget.h"
#include "scene/anim/TvxAnimation.h"

namespace nimbrell {

class TvxFloatAnimation : public TvxAnimation {
    NIMBRELL_CLASS(TvxFloatAnimation)
public:
    explicit TvxFloatAnimation(TvxComponent* owner);

    float StartValue() const { return m_startValue; }
    void SetStartValue(float value) { m_startValue = value; }
    float StopValue() const { return m_stopValue; }
    void SetStopValue(float value) { m_stopValue = value; }
    // Relative to the parent, e.g. "Position.y".
    const std::string& PropertyName() const { return m_propertyName; }
    void SetPropertyName(std::string_view value);
    // Take StartValue from the property when a run starts.
    bool StartFromCurrent() const { return m_startFromCurrent; }
    void SetStartFromCurrent(bool value) { m_startFromCurrent = value; }

    const AnimationTarget& Target() const { return m_target; }

    void ProcessAnimation() override;
    void Start() override;
    // Also forgets the target, so the next start resolves the path again.
    void Stop() override;
    void ParentChanged() override;

private:
    float m_startValue { 0 };
    float m_stopValue { 0 };
    std::string m_propertyName;
    AnimationTarget m_target;
    bool m_startFromCurrent { false };
};

}
