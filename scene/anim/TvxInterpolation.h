// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The easing curves animations turn their elapsed time into progress with.

#include "scene/core/PropertyTable.h"

namespace nimbrell {

enum class TvxInterpolationType {
    vgInterpolationLinear,
    vgInterpolationQuadratic,
    vgInterpolationCubic,
    vgInterpolationQuartic,
    vgInterpolationQuintic,
    vgInterpolationSinusoidal,
    vgInterpolationExponential,
    vgInterpolationCircular,
    vgInterpolationElastic,
    vgInterpolationBack,
    vgInterpolationBounce,
};

enum class TvxAnimationType {
    vgAnimationIn,
    vgAnimationOut,
    vgAnimationInOut
};

// The value at time t of a curve that starts at b and changes by c over duration d
// (d > 0). Linear ignores the direction. The ends t = 0 and t = d of the exponential,
// elastic curves are exact.
double InterpolateValue(TvxInterpolationType interpolation, TvxAnimationType type, double t, double b, double c, double d);

}

NIMBRELL_ENUM(nimbrell::TvxInterpolationType, "vgInterpolationLinear", "vgInterpolationQuadratic", "vgInterpolationCubic",
    "vgInterpolationQuartic", "vgInterpolationQuintic", "vgInterpolationSinusoidal", "vgInterpolationExponential",
    "vgInterpolationCircular", "vgInterpolationElastic", "vgInterpolationBack", "vgInterpolationBounce")
NIMBRELL_ENUM(nimbrell::TvxAnimationType, "vgAnimationIn", "vgAnimationOut", "vgAnimationInOut")
