// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The parts of a premultiplied ARGB image whose pixels are more than a given
// alpha: what takes the mouse, and without a compositor what is shown at all.

#include "base/Owned.h"

#include <cairo.h>

#include <cstdint>

namespace nimbrell::platform {

using Region = Owned<cairo_region_t, cairo_region_destroy>;

// The pixels of the image whose alpha is above `above`, offset by (left, top).
Region RegionAboveAlpha(const unsigned char* pixels, int width, int height, int strideBytes, std::uint8_t above, int left = 0, int top = 0);

// A region of device pixels in units of `scale` pixels, outwards: a unit holds
// any of the pixels.
Region RegionInUnits(const cairo_region_t* pixels, int scale);
cairo_rectangle_int_t RectInUnits(const cairo_rectangle_int_t& pixels, int scale);

}
