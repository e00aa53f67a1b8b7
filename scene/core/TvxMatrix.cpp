// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxMatrix.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nimbrell {

TvxMatrix TvxMatrix::Translation(float x, float y)
{
    TvxMatrix m;
    m.m31 = x;
    m.m32 = y;
    return m;
}

TvxMatrix TvxMatrix::Scaling(float x, float y)
{
    TvxMatrix m;
    m.m11 = x;
    m.m22 = y;
    return m;
}

TvxMatrix TvxMatrix::Rotation(float degrees)
{
    double radians = degrees * std::numbers::pi / 180.0;
    float c = static_cast<float>(std::cos(radians));
    float s = static_cast<float>(std::sin(radians));
    TvxMatrix m;
    m.m11 = c;
    m.m12 = s;
    m.m21 = -s;
    m.m22 = c;
    return m;
}

TvxMatrix TvxMatrix::operator*(const TvxMatrix& b) const
{
    TvxMatrix r;
    r.m11 = m11 * b.m11 + m12 * b.m21 + m13 * b.m31;
    r.m12 = m11 * b.m12 + m12 * b.m22 + m13 * b.m32;
    r.m13 = m11 * b.m13 + m12 * b.m23 + m13 * b.m33;
    r.m21 = m21 * b.m11 + m22 * b.m21 + m23 * b.m31;
    r.m22 = m21 * b.m12 + m22 * b.m22 + m23 * b.m32;
    r.m23 = m21 * b.m13 + m22 * b.m23 + m23 * b.m33;
    r.m31 = m31 * b.m11 + m32 * b.m21 + m33 * b.m31;
    r.m32 = m31 * b.m12 + m32 * b.m22 + m33 * b.m32;
    r.m33 = m31 * b.m13 + m32 * b.m23 + m33 * b.m33;
    return r;
}

TvxMatrix TvxMatrix::Inverse() const
{
    double det = double(m11) * (double(m22) * m33 - double(m23) * m32) - double(m12) * (double(m21) * m33 - double(m23) * m31)
        + double(m13) * (double(m21) * m32 - double(m22) * m31);
    if (std::fabs(det) < 1E-40)
        return Identity();
    double k = 1.0 / det;
    TvxMatrix r;
    r.m11 = static_cast<float>(k * (double(m22) * m33 - double(m23) * m32));
    r.m12 = static_cast<float>(-k * (double(m12) * m33 - double(m13) * m32));
    r.m13 = static_cast<float>(k * (double(m12) * m23 - double(m13) * m22));
    r.m21 = static_cast<float>(-k * (double(m21) * m33 - double(m23) * m31));
    r.m22 = static_cast<float>(k * (double(m11) * m33 - double(m13) * m31));
    r.m23 = static_cast<float>(-k * (double(m11) * m23 - double(m13) * m21));
    r.m31 = static_cast<float>(k * (double(m21) * m32 - double(m22) * m31));
    r.m32 = static_cast<float>(-k * (double(m11) * m32 - double(m12) * m31));
    r.m33 = static_cast<float>(k * (double(m11) * m22 - double(m12) * m21));
    return r;
}

TvxVector TvxMatrix::Map(const TvxVector& v) const
{
    return { v.X * m11 + v.Y * m21 + v.W * m31, v.X * m12 + v.Y * m22 + v.W * m32, 1 };
}

TvxPoint TvxMatrix::MapPoint(TvxPoint p) const
{
    TvxVector v = Map({ p.X, p.Y, 1 });
    return { v.X, v.Y };
}

TvxPoint TvxMatrix::MapVector(TvxPoint p) const
{
    TvxVector v = Map({ p.X, p.Y, 0 });
    return { v.X, v.Y };
}

bool IsRectEmpty(const TvxRect& r)
{
    return !(r.Right > r.Left) || !(r.Bottom > r.Top);
}

TvxRect IntersectRect(const TvxRect& a, const TvxRect& b)
{
    TvxRect r { std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom) };
    if (IsRectEmpty(r))
        return {};
    return r;
}

TvxRect UnionRect(const TvxRect& a, const TvxRect& b)
{
    return { std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom) };
}

void IncludeRect(TvxRect& bounds, const TvxRect& rect)
{
    if (!IsRectEmpty(rect))
        bounds = IsRectEmpty(bounds) ? rect : UnionRect(bounds, rect);
}

bool RectsMeet(const TvxRect& a, const TvxRect& b)
{
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

TvxRect OffsetRect(const TvxRect& r, float dx, float dy)
{
    return { r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy };
}

TvxRect InflateRect(const TvxRect& r, float dx, float dy)
{
    return { r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy };
}

TvxRect MapRect(const TvxMatrix& m, const TvxRect& r)
{
    const TvxPoint corners[] = { { r.Left, r.Top }, { r.Right, r.Top }, { r.Right, r.Bottom }, { r.Left, r.Bottom } };
    TvxRect result { 61440, 61440, -61440, -61440 };
    for (TvxPoint corner : corners) {
        TvxPoint p = m.MapPoint(corner);
        result.Left = std::min(result.Left, p.X);
        result.Top = std::min(result.Top, p.Y);
        result.Right = std::max(result.Right, p.X);
        result.Bottom = std::max(result.Bottom, p.Y);
    }
    return result;
}

float RoundHalfEven(float value)
{
    return std::nearbyint(value);
}

}
