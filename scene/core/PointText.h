// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text of the Point and Rect stream properties: "(11,7)", "(0,0.500)". Whole numbers
// are written as integers, others with three decimals, "." whatever the locale.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

std::string FormatPointText(std::span<const float> values);
// Exactly count numbers between "(" and ")", separated by ","; none when any is not a number.
std::optional<std::vector<float>> ParsePointText(std::string_view text, std::size_t count);

}
