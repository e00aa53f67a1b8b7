// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outline of a rectangle with shaped corners, shared by the canvas's rectangle
// fills and strokes: clockwise from the top-left corner.

#include "scene/core/Geometry.h"
#include "scene/render/CanvasEnums.h"

namespace nimbrell {

class TvxPathData;

// Control factor of rounded corners in FillRect and DrawRect.
inline constexpr float kCornerControl = 0.4477152502f;

// Appends the closed figure. Radii above half the width / height are reduced to it.
// Straight edges (with the halves of square corners belonging to them) of sides not in
// `sides` become moves; shaped corners are always drawn.
void BuildRectFigure(TvxPathData& path, const TvxRect& rect, float xRadius, float yRadius, TvxCorners corners,
    TvxCornerType cornerType, float control, TvxSides sides = kAllSides);

}
