// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The two-pass stack blur with a triangular kernel, on all four channels of 32-bit
// pixels: along each row, then along each column of the row results, every value
// becomes trunc(Σ (r + 1 − |i|) × p(x + i) / (r + 1)²) over i = −r … r, with x + i
// clamped to the image. Nothing when radius ≤ 0.

#include <cstddef>
#include <cstdint>

namespace nimbrell {

class TvxBitmap;

void StackBlur(std::uint32_t* pixels, int width, int height, int radius);
void StackBlur(TvxBitmap& bitmap, int radius);

// The calling thread's working planes, kept from one blur to the next (a fresh block
// costs more in page faults than the blur), and given back to the system.
std::size_t BlurScratchBytes();
void ReleaseBlurScratch();

}
