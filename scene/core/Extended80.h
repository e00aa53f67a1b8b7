// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 80-bit extended-precision float of object streams: 64-bit significand with an
// explicit integer bit, 15-bit exponent biased by 16383, sign bit; little-endian.
// Converted bit by bit, independent of the host's long double.

#include <array>
#include <cstdint>

namespace nimbrell {

using Extended80 = std::array<std::uint8_t, 10>;

// Exact: every double (and so every float) is representable.
Extended80 EncodeExtended(double value);
// Rounded to nearest, ties to even; out of range gives infinity, tiny values zero.
double DecodeExtendedToDouble(const Extended80& bytes);
float DecodeExtendedToFloat(const Extended80& bytes);

}
