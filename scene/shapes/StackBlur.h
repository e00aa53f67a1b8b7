// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The two-pass stack blur with a triangular kernel, on all four channels of 32-bit
// pixels: along each row, then along each column of the row results, every value
// becomes trunc(Σ (r + 1 − |i|) × p(x + i) / (r + 1)²) over i = −r … r, with x + i
// clamped to the image. Nothing when radius ≤ 0.

#include <cstdint>

namespace nimbrell {

class TvxBitmap;

void StackBlur(std::uint32_t* pixels, int width, int height, int radius);
void StackBlur(TvxBitmap& bitmap, int radius);

}
