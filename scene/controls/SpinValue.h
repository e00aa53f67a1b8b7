// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The spin box's numbers: reading its text, keeping a value in range and the
// two text forms it shows.

#include <optional>
#include <string>

namespace nimbrell {

// A decimal number: optional blanks, sign, digits with one '.' or ',' as the
// decimal point, an optional exponent. Nothing for anything else ("nan",
// "inf", digits of other scripts, an empty text). A number beyond the double
// range reads as the infinity of its sign, which clamping turns into a bound.
std::optional<double> ParseSpinText(const std::u16string& text);

// Lowered to max if above, then raised to min if below.
double ClampSpinValue(double value, double min, double max);

// The digits of the value truncated toward zero ("0" for -0.5, never "-0").
std::u16string TruncatedText(double value);
// Fixed form with the given decimals (0..15).
std::u16string FixedText(double value, int decimals);
// The general form with up to 15 significant digits.
std::u16string GeneralText(double value);

bool IsFractional(double value);

}
