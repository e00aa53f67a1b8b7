// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/TvxInterpolation.h"

#include <gtest/gtest.h>

using namespace nimbrell;

namespace {

using I = TvxInterpolationType;
using A = TvxAnimationType;

struct Case {
    I interpolation;
    A type;
    double t;
    double expected;
};

// Over one second from 0 to 1, so the value is the progress.
const Case cases[] = {
    { I::vgInterpolationLinear, A::vgAnimationIn, 0.25, 0.25 },
    { I::vgInterpolationLinear, A::vgAnimationOut, 0.25, 0.25 },
    { I::vgInterpolationLinear, A::vgAnimationInOut, 0.25, 0.25 },
    { I::vgInterpolationQuadratic, A::vgAnimationIn, 0.5, 0.25 },
    { I::vgInterpolationQuadratic, A::vgAnimationOut, 0.5, 0.75 },
    { I::vgInterpolationQuadratic, A::vgAnimationInOut, 0.25, 0.125 },
    { I::vgInterpolationQuadratic, A::vgAnimationInOut, 0.75, 0.875 },
    { I::vgInterpolationCubic, A::vgAnimationIn, 0.5, 0.125 },
    { I::vgInterpolationCubic, A::vgAnimationOut, 0.5, 0.875 },
    { I::vgInterpolationCubic, A::vgAnimationInOut, 0.75, 0.9375 },
    { I::vgInterpolationQuartic, A::vgAnimationIn, 0.5, 0.0625 },
    { I::vgInterpolationQuartic, A::vgAnimationOut, 0.5, 0.9375 },
    { I::vgInterpolationQuartic, A::vgAnimationInOut, 0.25, 0.03125 },
    { I::vgInterpolationQuartic, A::vgAnimationInOut, 0.75, 0.96875 },
    { I::vgInterpolationQuintic, A::vgAnimationIn, 0.5, 0.03125 },
    { I::vgInterpolationQuintic, A::vgAnimationOut, 0.5, 0.96875 },
    { I::vgInterpolationQuintic, A::vgAnimationInOut, 0.75, 0.984375 },
    { I::vgInterpolationSinusoidal, A::vgAnimationIn, 0.5, 0.2928932188134524 },
    { I::vgInterpolationSinusoidal, A::vgAnimationOut, 0.5, 0.7071067811865475 },
    { I::vgInterpolationSinusoidal, A::vgAnimationInOut, 0.5, 0.5 },
    { I::vgInterpolationExponential, A::vgAnimationIn, 0, 0 },
    { I::vgInterpolationExponential, A::vgAnimationIn, 0.5, 0.03125 },
    { I::vgInterpolationExponential, A::vgAnimationIn, 1, 1 },
    { I::vgInterpolationExponential, A::vgAnimationOut, 0, 0 },
    { I::vgInterpolationExponential, A::vgAnimationOut, 0.5, 0.96875 },
    { I::vgInterpolationExponential, A::vgAnimationOut, 1, 1 },
    { I::vgInterpolationExponential, A::vgAnimationInOut, 0, 0 },
    { I::vgInterpolationExponential, A::vgAnimationInOut, 0.25, 0.015625 },
    { I::vgInterpolationExponential, A::vgAnimationInOut, 0.75, 0.984375 },
    { I::vgInterpolationExponential, A::vgAnimationInOut, 1, 1 },
    { I::vgInterpolationCircular, A::vgAnimationIn, 0.5, 0.1339745962155614 },
    { I::vgInterpolationCircular, A::vgAnimationOut, 0.5, 0.8660254037844386 },
    { I::vgInterpolationCircular, A::vgAnimationInOut, 0.5, 0.5 },
    { I::vgInterpolationElastic, A::vgAnimationIn, 0, 0 },
    { I::vgInterpolationElastic, A::vgAnimationIn, 0.5, -0.015625 },
    { I::vgInterpolationElastic, A::vgAnimationIn, 1, 1 },
    { I::vgInterpolationElastic, A::vgAnimationOut, 0, 0 },
    { I::vgInterpolationElastic, A::vgAnimationOut, 0.5, 1.015625 },
    { I::vgInterpolationElastic, A::vgAnimationOut, 1, 1 },
    { I::vgInterpolationElastic, A::vgAnimationInOut, 0, 0 },
    { I::vgInterpolationElastic, A::vgAnimationInOut, 0.25, 0.011969444423734025 },
    { I::vgInterpolationElastic, A::vgAnimationInOut, 1, 1 },
    { I::vgInterpolationBack, A::vgAnimationIn, 0.5, -0.0876975 },
    { I::vgInterpolationBack, A::vgAnimationOut, 0.5, 1.0876975 },
    { I::vgInterpolationBack, A::vgAnimationInOut, 0.25, -0.09968184375 },
    { I::vgInterpolationBack, A::vgAnimationInOut, 1, 1 },
    // 0.73 lies past the second arc's end (2 / 2.75), 0.72 before it.
    { I::vgInterpolationBounce, A::vgAnimationOut, 0.73, 0.99630625 },
    { I::vgInterpolationBounce, A::vgAnimationOut, 0.72, 0.9804 },
    { I::vgInterpolationBounce, A::vgAnimationOut, 1, 1 },
    { I::vgInterpolationBounce, A::vgAnimationIn, 0.5, 0.234375 },
    { I::vgInterpolationBounce, A::vgAnimationIn, 0, 0 },
    { I::vgInterpolationBounce, A::vgAnimationInOut, 0.25, 0.1171875 },
    { I::vgInterpolationBounce, A::vgAnimationInOut, 0.75, 0.8828125 },
};

}

TEST(Interpolation, CurvesAtKeyPoints)
{
    for (const Case& c : cases) {
        std::string row = std::string(EnumInfoOf<I>().Identifier(static_cast<int>(c.interpolation))) + " "
            + std::string(EnumInfoOf<A>().Identifier(static_cast<int>(c.type))) + " t=" + std::to_string(c.t);
        EXPECT_NEAR(InterpolateValue(c.interpolation, c.type, c.t, 0, 1, 1), c.expected, 1e-12) << row;
    }
}

TEST(Interpolation, ExponentialEndsAreExact)
{
    // Exact, not merely near: a run must land on its stop value.
    EXPECT_EQ(InterpolateValue(I::vgInterpolationExponential, A::vgAnimationOut, 2, 50, -50, 2), 0.0);
    EXPECT_EQ(InterpolateValue(I::vgInterpolationExponential, A::vgAnimationIn, 0, 50, -50, 2), 50.0);
    EXPECT_EQ(InterpolateValue(I::vgInterpolationElastic, A::vgAnimationInOut, 3, 7, 5, 3), 12.0);
}

TEST(Interpolation, StartChangeAndDurationScaleTheCurve)
{
    // Quadratic in over 2 s from 10 by 20: at 1 s a quarter of the change.
    EXPECT_DOUBLE_EQ(InterpolateValue(I::vgInterpolationQuadratic, A::vgAnimationIn, 1, 10, 20, 2), 15);
    EXPECT_DOUBLE_EQ(InterpolateValue(I::vgInterpolationBounce, A::vgAnimationOut, 2, 10, 20, 2), 30);
    EXPECT_DOUBLE_EQ(InterpolateValue(I::vgInterpolationCubic, A::vgAnimationInOut, 1, -4, 8, 2), 0);
}
