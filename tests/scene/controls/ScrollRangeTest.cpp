// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/ScrollRange.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace nimbrell;

namespace {

ScrollRange range(float min, float max, float viewport, float value)
{
    ScrollRange r;
    r.SetMax(max);
    r.SetMin(min);
    r.SetViewportSize(viewport);
    r.SetValue(value);
    return r;
}

}

TEST(ScrollRange, ValueIsKeptBetweenMinAndMaxLessViewport)
{
    struct Case {
        float min, max, viewport, written, stored;
    };
    const Case cases[] = {
        { 0, 646, 104, 600, 542 }, // above Max - ViewportSize
        { 0, 646, 104, 542, 542 },
        { 0, 646, 104, -5, 0 },
        { 10, 100, 0, 5, 10 },
        { 0, 50, 80, 10, 0 }, // viewport cut to the span, value to Min
        { 0, 100, 10, std::numeric_limits<float>::quiet_NaN(), 0 },
        { 0, 100, 10, std::numeric_limits<float>::infinity(), 0 },
    };
    for (const auto& c : cases) {
        auto r = range(c.min, c.max, c.viewport, c.written);
        EXPECT_FLOAT_EQ(r.Value(), c.stored) << "min " << c.min << " max " << c.max << " viewport " << c.viewport << " written " << c.written;
    }
}

TEST(ScrollRange, BoundWritesPullTheValueAlong)
{
    auto r = range(0, 646, 104, 542);
    EXPECT_TRUE(r.SetMax(300));
    EXPECT_FLOAT_EQ(r.Value(), 196);
    EXPECT_TRUE(r.SetViewportSize(250));
    EXPECT_FLOAT_EQ(r.Value(), 50);
    EXPECT_TRUE(r.SetViewportSize(1000));
    EXPECT_FLOAT_EQ(r.ViewportSize(), 300) << "cut to the span";
    EXPECT_FLOAT_EQ(r.Value(), 0);
    EXPECT_TRUE(r.SetMin(20));
    EXPECT_FLOAT_EQ(r.Value(), 20);
    r.SetMax(5);
    EXPECT_FLOAT_EQ(r.Max(), 20.001f) << "a Max below Min becomes just above it";
    EXPECT_FALSE(r.SetValue(r.Value())) << "an unchanged value reports no change";
}

TEST(ScrollRange, ThumbGeometry)
{
    struct Case {
        float value, viewport, length, thickness, start, span;
    };
    // Range 0..100 along a 200 track.
    const Case cases[] = {
        { 0, 50, 200, 16, 0, 100 },
        { 50, 50, 200, 16, 100, 100 },
        { 25, 50, 200, 16, 50, 100 },
        { 0.25f, 0, 200, 16, 0, 16 }, // shorter than thick: centred on 0.5, pushed inside
        { 50, 0, 200, 16, 92, 16 },   // centred on 100
        { 0, 100, 200, 16, 0, 200 },
        { 10, 50, 0, 16, 0, 0 }, // no track
    };
    for (const auto& c : cases) {
        auto r = range(0, 100, c.viewport, c.value);
        auto thumb = ThumbGeometry(r, c.length, c.thickness);
        EXPECT_FLOAT_EQ(thumb.start, c.start) << "value " << c.value << " viewport " << c.viewport;
        EXPECT_FLOAT_EQ(thumb.length, c.span) << "value " << c.value << " viewport " << c.viewport;
    }
    // Start positions round halves to even: 0.5 → 0, 1.5 → 2.
    EXPECT_FLOAT_EQ(ThumbGeometry(range(0, 400, 100, 2), 100, 1).start, 0);
    EXPECT_FLOAT_EQ(ThumbGeometry(range(0, 400, 100, 6), 100, 1).start, 2);
}

TEST(ScrollRange, TrackPressAndThumbDrag)
{
    auto r = range(0, 646, 104, 200);
    EXPECT_FLOAT_EQ(TrackPressValue(r, 10, 100), 96) << "a page up";
    EXPECT_FLOAT_EQ(TrackPressValue(r, 90, 100), 304) << "a page down";
    auto noViewport = range(0, 100, 0, 20);
    EXPECT_FLOAT_EQ(TrackPressValue(noViewport, 75, 200), 37.5f) << "jumps to the pressed point";
    EXPECT_FLOAT_EQ(ThumbDragValue(noViewport, 110, 10, 200), 50);
    EXPECT_FLOAT_EQ(ThumbDragValue(noViewport, 110, 10, 0), 20) << "no track keeps the value";
}

TEST(ScrollRange, FrequencyAndWheel)
{
    EXPECT_FLOAT_EQ(ApplyFrequency(7.4f, 5), 5);
    EXPECT_FLOAT_EQ(ApplyFrequency(7.6f, 5), 10);
    EXPECT_FLOAT_EQ(ApplyFrequency(7.6f, 0), 7.6f);
    // A 104-high viewport: small change a fifth of it, one notch three fifths.
    float smallChange = 104.0f / 5;
    EXPECT_FLOAT_EQ(WheelTarget(0, smallChange, -120), 62.4f);
    EXPECT_NEAR(WheelTarget(62.4f, smallChange, 120), 0, 1e-4);
    EXPECT_FLOAT_EQ(WheelTarget(0, smallChange, -240), 124.8f);
}
