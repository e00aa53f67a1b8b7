// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A progress bar: the style's indicator part along its track grows with Value between
// Min and Max (Value is not clamped).

#include "scene/controls/TvxControl.h"

namespace nimbrell {

enum class TvxOrientation {
    vgHorizontal,
    vgVertical
};

class TvxProgressBar : public TvxControl {
    NIMBRELL_CLASS(TvxProgressBar)
public:
    explicit TvxProgressBar(TvxComponent* owner);

    float Min() const { return m_min; }
    // Used by the next realign.
    void SetMin(float value) { m_min = value; }
    float Max() const { return m_max; }
    void SetMax(float value) { m_max = value; }
    float Value() const { return m_value; }
    void SetValue(float value);
    TvxOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TvxOrientation value);

    void Realign() override;
    TvxVariant GetData() const override { return static_cast<double>(m_value); }
    void SetData(const TvxVariant& value) override;

protected:
    void ResourceApplied() override;

private:
    void PlaceIndicator();

    float m_min { 0 };
    float m_value { 0 };
    float m_max { 100 };
    TvxOrientation m_orientation { TvxOrientation::vgHorizontal };
};

}

NIMBRELL_ENUM(nimbrell::TvxOrientation, "vgHorizontal", "vgVertical")
