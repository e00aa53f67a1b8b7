// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Affine geometry of the scene. Points are row vectors multiplied on the left:
// x' = x·m11 + y·m21 + w·m31, y' = x·m12 + y·m22 + w·m32. A·B applies A first, then B.
// Angles are in degrees.

#include "scene/core/Geometry.h"

namespace nimbrell {

struct TvxVector {
    float X { 0 };
    float Y { 0 };
    float W { 1 };
};

struct TvxMatrix {
    float m11 { 1 }, m12 { 0 }, m13 { 0 };
    float m21 { 0 }, m22 { 1 }, m23 { 0 };
    float m31 { 0 }, m32 { 0 }, m33 { 1 };

    static TvxMatrix Identity() { return {}; }
    static TvxMatrix Translation(float x, float y);
    static TvxMatrix Scaling(float x, float y);
    static TvxMatrix Rotation(float degrees);

    // The ordinary 3×3 product: this first, then other.
    TvxMatrix operator*(const TvxMatrix& other) const;
    // Adjugate over determinant; the identity when |determinant| < 1E-40.
    TvxMatrix Inverse() const;
    TvxVector Map(const TvxVector& vector) const;
    TvxPoint MapPoint(TvxPoint point) const;
    // W = 0: no translation.
    TvxPoint MapVector(TvxPoint vector) const;

    bool operator==(const TvxMatrix&) const = default;
};

// Rectangle helpers; a rectangle is empty when its width or height is not positive.
bool IsRectEmpty(const TvxRect& rect);
// The common part; (0,0,0,0) when the two do not overlap.
TvxRect IntersectRect(const TvxRect& a, const TvxRect& b);
TvxRect UnionRect(const TvxRect& a, const TvxRect& b);
// Grows bounds to hold rect; an empty rect adds nothing, empty bounds become rect.
void IncludeRect(TvxRect& bounds, const TvxRect& rect);
// Overlap where touching edges count.
bool RectsMeet(const TvxRect& a, const TvxRect& b);
TvxRect OffsetRect(const TvxRect& rect, float dx, float dy);
TvxRect InflateRect(const TvxRect& rect, float dx, float dy);
// The smallest rectangle holding the four corners mapped through the matrix.
TvxRect MapRect(const TvxMatrix& matrix, const TvxRect& rect);
// Nearest integer, halves to even.
float RoundHalfEven(float value);

}
