// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/ScrollRange.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

namespace {

bool finite(float value) { return std::isfinite(value); }

// Span of the range; never zero, so divisions stay finite.
float span(const ScrollRange& range)
{
    float span = range.Max() - range.Min();
    return span > 0 ? span : 0.001f;
}

}

bool ScrollRange::ClampValue()
{
    float value = m_value;
    if (value > m_max - m_viewportSize)
        value = m_max - m_viewportSize;
    if (value < m_min)
        value = m_min;
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

bool ScrollRange::SetValue(float value)
{
    if (!finite(value) || value == m_value)
        return false;
    float old = m_value;
    m_value = value;
    ClampValue();
    return m_value != old;
}

bool ScrollRange::SetMin(float min)
{
    if (!finite(min))
        return false;
    m_min = min;
    return ClampValue();
}

bool ScrollRange::SetMax(float max)
{
    if (!finite(max))
        return false;
    m_max = max < m_min ? m_min + 0.001f : max;
    m_viewportSize = std::min(m_viewportSize, m_max - m_min);
    return ClampValue();
}

bool ScrollRange::SetViewportSize(float viewportSize)
{
    if (!finite(viewportSize))
        return false;
    m_viewportSize = std::min(std::max(viewportSize, 0.0f), m_max - m_min);
    return ClampValue();
}

ThumbSpan ThumbGeometry(const ScrollRange& range, float trackLength, float trackThickness)
{
    if (trackLength <= 0)
        return {};
    float length = range.ViewportSize() / span(range) * trackLength;
    // Halves to even, like every rounding of the toolkit.
    float start = std::nearbyint((range.Value() - range.Min()) / span(range) * trackLength);
    if (length < trackThickness) {
        start -= (trackThickness - length) / 2;
        length = trackThickness;
    }
    length = std::min(length, trackLength);
    start = std::clamp(start, 0.0f, trackLength - length);
    return { start, length };
}

float TrackPressValue(const ScrollRange& range, float position, float trackLength)
{
    float pressed = range.Min() + (trackLength > 0 ? position / trackLength : 0) * span(range);
    if (range.ViewportSize() == 0)
        return pressed;
    return pressed < range.Value() ? range.Value() - range.ViewportSize() : range.Value() + range.ViewportSize();
}

float ThumbDragValue(const ScrollRange& range, float pointer, float grabOffset, float trackLength)
{
    if (trackLength <= 0)
        return range.Value();
    return range.Min() + (pointer - grabOffset) / trackLength * span(range);
}

float ApplyFrequency(float value, float frequency)
{
    if (frequency == 0 || !finite(frequency))
        return value;
    return std::nearbyint(value / frequency) * frequency;
}

float WheelTarget(float value, float smallChange, int wheelDelta)
{
    return value - smallChange * 3 * (static_cast<float>(wheelDelta) / 120.0f);
}

}
