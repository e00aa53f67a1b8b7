// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Colour values: 0xAARRGGBB, straight (not premultiplied) unless a function says so.
// Integer results truncate toward zero.

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrell {

using TvxColor = std::uint32_t;

// "#" and eight uppercase hexadecimal digits, alpha first.
std::string ColorToText(TvxColor color);
// "" → 0; "#" and up to eight hexadecimal digits; one of the 147 SVG colour keywords
// (any case, opaque); otherwise a decimal number or "$" and hexadecimal digits.
// Anything else is 0.
TvxColor ColorFromText(std::string_view text);

TvxColor MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 0xFF);
inline std::uint8_t ColorAlpha(TvxColor color) { return static_cast<std::uint8_t>(color >> 24); }
inline std::uint8_t ColorRed(TvxColor color) { return static_cast<std::uint8_t>(color >> 16); }
inline std::uint8_t ColorGreen(TvxColor color) { return static_cast<std::uint8_t>(color >> 8); }
inline std::uint8_t ColorBlue(TvxColor color) { return static_cast<std::uint8_t>(color); }

// Unchanged when opacity ≥ 1; otherwise alpha becomes trunc(opacity × alpha).
TvxColor ColorWithOpacity(TvxColor color, float opacity);
// Each colour byte c becomes trunc(c × alpha / 255).
TvxColor PremultiplyColor(TvxColor color);
// Each colour byte c becomes trunc(c / (alpha / 255)), at most 255.
TvxColor UnpremultiplyColor(TvxColor color);
// Per byte: from + trunc(t × (to − from)), kept to eight bits.
TvxColor InterpolateColor(TvxColor from, TvxColor to, float t);

// Hue, saturation and lightness, each 0..1.
struct TvxHsl {
    float hue { 0 };
    float saturation { 0 };
    float lightness { 0 };
};
TvxHsl ColorToHsl(TvxColor color);
// Opaque; each channel rounded to the nearest of 0..255.
TvxColor HslToColor(TvxHsl hsl);
// Shifts lightness by delta (clamped to 0..1), keeping alpha.
TvxColor ChangeLightness(TvxColor color, float delta);

// The number of colour keywords known to ColorFromText.
int ColorKeywordCount();

}
