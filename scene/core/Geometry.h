// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scene geometry: 32-bit floats in pixels.

namespace nimbrell {

struct TvxPoint {
    float X { 0 };
    float Y { 0 };
    bool operator==(const TvxPoint&) const = default;
};

struct TvxRect {
    float Left { 0 };
    float Top { 0 };
    float Right { 0 };
    float Bottom { 0 };
    float Width() const { return Right - Left; }
    float Height() const { return Bottom - Top; }
    bool operator==(const TvxRect&) const = default;
};

}
