// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Moves a colour property of the parent (or of an object on a dotted path from it, such
// as "Fill.Color") from StartValue to StopValue, channel by channel. The colours are
// published as colour text ("#AARRGGBB"); the property written may be colour text or a
// 32-bit integer.

#include "scene/anim/AnimationTarget.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/render/Color.h"

namespace nimbrell {

class TvxColorAnimation : public TvxAnimation {
    NIMBRELL_CLASS(TvxColorAnimation)
public:
    explicit TvxColorAnimation(TvxComponent* owner);

    TvxColor StartColor() const { return m_startValue; }
    void SetStartColor(TvxColor value) { m_startValue = value; }
    TvxColor StopColor() const { return m_stopValue; }
    void SetStopColor(TvxColor value) { m_stopValue = value; }
    // Colour text, parsed on write, uppercase digits on read.
    std::string StartValue() const { return ColorToText(m_startValue); }
    void SetStartValue(std::string_view text) { m_startValue = ColorFromText(text); }
    std::string StopValue() const { return ColorToText(m_stopValue); }
    void SetStopValue(std::string_view text) { m_stopValue = ColorFromText(text); }
    const std::string& PropertyName() const { return m_propertyName; }
    void SetPropertyName(std::string_view value);
    bool StartFromCurrent() const { return m_startFromCurrent; }
    void SetStartFromCurrent(bool value) { m_startFromCurrent = value; }

    const AnimationTarget& Target() const { return m_target; }

    void ProcessAnimation() override;
    void Start() override;
    void ParentChanged() override;

private:
    TvxColor m_startValue { 0xFFFFFFFF };
    TvxColor m_stopValue { 0xFFFFFFFF };
    std::string m_propertyName;
    AnimationTarget m_target;
    bool m_startFromCurrent { false };
};

}
