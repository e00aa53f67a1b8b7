// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The value rules shared by scroll bars and tracks, and the geometry of a
// track's thumb. Pure arithmetic: the controls own the notifications.

#include <cstdint>

namespace nimbrell {

class ScrollRange {
public:
    float Value() const { return m_value; }
    float Min() const { return m_min; }
    float Max() const { return m_max; }
    float ViewportSize() const { return m_viewportSize; }

    // Each returns whether Value changed. Value is kept within
    // Min .. Max - ViewportSize (Min winning when the viewport is larger).
    bool SetValue(float value);
    bool SetMin(float min);
    bool SetMax(float max);
    bool SetViewportSize(float viewportSize);

private:
    bool ClampValue();

    float m_value { 0 };
    float m_min { 0 };
    float m_max { 100 };
    float m_viewportSize { 0 };
};

// Where the thumb lies along a track of the given length and thickness.
struct ThumbSpan {
    float start { 0 };
    float length { 0 };
};
ThumbSpan ThumbGeometry(const ScrollRange& range, float trackLength, float trackThickness);

// The value a press on the track at position (along the track) moves to: one
// viewport towards it, or, without a viewport, the pressed point's value.
float TrackPressValue(const ScrollRange& range, float position, float trackLength);

// The value while dragging the thumb; grabOffset is where the pointer held the
// thumb, measured from the thumb's start.
float ThumbDragValue(const ScrollRange& range, float pointer, float grabOffset, float trackLength);

// With a non-zero frequency, the nearest multiple of it.
float ApplyFrequency(float value, float frequency);

// The wheel's target: three small changes a notch (delta 120 a notch, positive
// upwards).
float WheelTarget(float value, float smallChange, int wheelDelta);

// The wheel animates the bar's value this long, quadratic easing out.
inline constexpr float ScrollAnimationSeconds = 0.7f;

}
