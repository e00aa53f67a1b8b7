// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/Color.h"

#include "base/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace nimbrell {

namespace {

struct Keyword {
    const char* name;
    std::uint32_t rgb;
};

// The extended colour keywords of SVG 1.1.
constexpr Keyword kKeywords[] = {
    { "aliceblue", 0xF0F8FF }, { "antiquewhite", 0xFAEBD7 }, { "aqua", 0x00FFFF }, { "aquamarine", 0x7FFFD4 },
    { "azure", 0xF0FFFF }, { "beige", 0xF5F5DC }, { "bisque", 0xFFE4C4 }, { "black", 0x000000 },
    { "blanchedalmond", 0xFFEBCD }, { "blue", 0x0000FF }, { "blueviolet", 0x8A2BE2 }, { "brown", 0xA52A2A },
    { "burlywood", 0xDEB887 }, { "cadetblue", 0x5F9EA0 }, { "chartreuse", 0x7FFF00 }, { "chocolate", 0xD2691E },
    { "coral", 0xFF7F50 }, { "cornflowerblue", 0x6495ED }, { "cornsilk", 0xFFF8DC }, { "crimson", 0xDC143C },
    { "cyan", 0x00FFFF }, { "darkblue", 0x00008B }, { "darkcyan", 0x008B8B }, { "darkgoldenrod", 0xB8860B },
    { "darkgray", 0xA9A9A9 }, { "darkgreen", 0x006400 }, { "darkgrey", 0xA9A9A9 }, { "darkkhaki", 0xBDB76B },
    { "darkmagenta", 0x8B008B }, { "darkolivegreen", 0x556B2F }, { "darkorange", 0xFF8C00 }, { "darkorchid", 0x9932CC },
    { "darkred", 0x8B0000 }, { "darksalmon", 0xE9967A }, { "darkseagreen", 0x8FBC8F }, { "darkslateblue", 0x483D8B },
    { "darkslategray", 0x2F4F4F }, { "darkslategrey", 0x2F4F4F }, { "darkturquoise", 0x00CED1 }, { "darkviolet", 0x9400D3 },
    { "deeppink", 0xFF1493 }, { "deepskyblue", 0x00BFFF }, { "dimgray", 0x696969 }, { "dimgrey", 0x696969 },
    { "dodgerblue", 0x1E90FF }, { "firebrick", 0xB22222 }, { "floralwhite", 0xFFFAF0 }, { "forestgreen", 0x228B22 },
    { "fuchsia", 0xFF00FF }, { "gainsboro", 0xDCDCDC }, { "ghostwhite", 0xF8F8FF }, { "gold", 0xFFD700 },
    { "goldenrod", 0xDAA520 }, { "gray", 0x808080 }, { "grey", 0x808080 }, { "green", 0x008000 },
    { "greenyellow", 0xADFF2F }, { "honeydew", 0xF0FFF0 }, { "hotpink", 0xFF69B4 }, { "indianred", 0xCD5C5C },
    { "indigo", 0x4B0082 }, { "ivory", 0xFFFFF0 }, { "khaki", 0xF0E68C }, { "lavender", 0xE6E6FA },
    { "lavenderblush", 0xFFF0F5 }, { "lawngreen", 0x7CFC00 }, { "lemonchiffon", 0xFFFACD }, { "lightblue", 0xADD8E6 },
    { "lightcoral", 0xF08080 }, { "lightcyan", 0xE0FFFF }, { "lightgoldenrodyellow", 0xFAFAD2 }, { "lightgray", 0xD3D3D3 },
    { "lightgreen", 0x90EE90 }, { "lightgrey", 0xD3D3D3 }, { "lightpink", 0xFFB6C1 }, { "lightsalmon", 0xFFA07A },
    { "lightseagreen", 0x20B2AA }, { "lightskyblue", 0x87CEFA }, { "lightslategray", 0x778899 }, { "lightslategrey", 0x778899 },
    { "lightsteelblue", 0xB0C4DE }, { "lightyellow", 0xFFFFE0 }, { "lime", 0x00FF00 }, { "limegreen", 0x32CD32 },
    { "linen", 0xFAF0E6 }, { "magenta", 0xFF00FF }, { "maroon", 0x800000 }, { "mediumaquamarine", 0x66CDAA },
    { "mediumblue", 0x0000CD }, { "mediumorchid", 0xBA55D3 }, { "mediumpurple", 0x9370DB }, { "mediumseagreen", 0x3CB371 },
    { "mediumslateblue", 0x7B68EE }, { "mediumspringgreen", 0x00FA9A }, { "mediumturquoise", 0x48D1CC },
    { "mediumvioletred", 0xC71585 }, { "midnightblue", 0x191970 }, { "mintcream", 0xF5FFFA }, { "mistyrose", 0xFFE4E1 },
    { "moccasin", 0xFFE4B5 }, { "navajowhite", 0xFFDEAD }, { "navy", 0x000080 }, { "oldlace", 0xFDF5E6 },
    { "olive", 0x808000 }, { "olivedrab", 0x6B8E23 }, { "orange", 0xFFA500 }, { "orangered", 0xFF4500 },
    { "orchid", 0xDA70D6 }, { "palegoldenrod", 0xEEE8AA }, { "palegreen", 0x98FB98 }, { "paleturquoise", 0xAFEEEE },
    { "palevioletred", 0xDB7093 }, { "papayawhip", 0xFFEFD5 }, { "peachpuff", 0xFFDAB9 }, { "peru", 0xCD853F },
    { "pink", 0xFFC0CB }, { "plum", 0xDDA0DD }, { "powderblue", 0xB0E0E6 }, { "purple", 0x800080 },
    { "red", 0xFF0000 }, { "rosybrown", 0xBC8F8F }, { "royalblue", 0x4169E1 }, { "saddlebrown", 0x8B4513 },
    { "salmon", 0xFA8072 }, { "sandybrown", 0xF4A460 }, { "seagreen", 0x2E8B57 }, { "seashell", 0xFFF5EE },
    { "sienna", 0xA0522D }, { "silver", 0xC0C0C0 }, { "skyblue", 0x87CEEB }, { "slateblue", 0x6A5ACD },
    { "slategray", 0x708090 }, { "slategrey", 0x708090 }, { "snow", 0xFFFAFA }, { "springgreen", 0x00FF7F },
    { "steelblue", 0x4682B4 }, { "tan", 0xD2B48C }, { "teal", 0x008080 }, { "thistle", 0xD8BFD8 },
    { "tomato", 0xFF6347 }, { "turquoise", 0x40E0D0 }, { "violet", 0xEE82EE }, { "wheat", 0xF5DEB3 },
    { "white", 0xFFFFFF }, { "whitesmoke", 0xF5F5F5 }, { "yellow", 0xFFFF00 }, { "yellowgreen", 0x9ACD32 }
};

std::optional<std::uint64_t> parseDigits(std::string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::uint8_t channel(TvxColor color, int shift) { return static_cast<std::uint8_t>(color >> shift); }

}

int ColorKeywordCount()
{
    return static_cast<int>(std::size(kKeywords));
}

std::string ColorToText(TvxColor color)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += digits[(color >> shift) & 15];
    return text;
}

TvxColor ColorFromText(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text[0] == '#') {
        auto value = parseDigits(text.substr(1, 8), 16);
        return value ? static_cast<TvxColor>(*value) : 0;
    }
    for (const Keyword& keyword : kKeywords) {
        if (EqualsIgnoringAsciiCase(keyword.name, text))
            return 0xFF000000u | keyword.rgb;
    }
    bool negative = text[0] == '-';
    std::string_view digits = negative ? text.substr(1) : text;
    std::optional<std::uint64_t> value = !digits.empty() && digits[0] == '$' ? parseDigits(digits.substr(1), 16) : parseDigits(digits, 10);
    if (!value)
        return 0;
    return static_cast<TvxColor>(negative ? 0 - *value : *value);
}

TvxColor MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha)
{
    return (TvxColor(alpha) << 24) | (TvxColor(red) << 16) | (TvxColor(green) << 8) | blue;
}

TvxColor ColorWithOpacity(TvxColor color, float opacity)
{
    if (opacity >= 1)
        return color;
    auto alpha = static_cast<std::int64_t>(std::trunc(static_cast<double>(opacity) * ColorAlpha(color)));
    return (color & 0x00FFFFFF) | (static_cast<TvxColor>(std::clamp<std::int64_t>(alpha, 0, 255)) << 24);
}

TvxColor PremultiplyColor(TvxColor color)
{
    unsigned alpha = ColorAlpha(color);
    if (alpha == 0)
        return 0;
    if (alpha == 255)
        return color;
    auto scale = [alpha](std::uint8_t c) { return static_cast<std::uint8_t>(c * alpha / 255); };
    return MakeColor(scale(ColorRed(color)), scale(ColorGreen(color)), scale(ColorBlue(color)), static_cast<std::uint8_t>(alpha));
}

TvxColor UnpremultiplyColor(TvxColor color)
{
    unsigned alpha = ColorAlpha(color);
    if (alpha == 0)
        return 0;
    if (alpha == 255)
        return color;
    // c / (alpha / 255) computed exactly, so a channel equal to alpha gives 255.
    auto scale = [alpha](std::uint8_t c) { return static_cast<std::uint8_t>(std::min(255u, c * 255u / alpha)); };
    return MakeColor(scale(ColorRed(color)), scale(ColorGreen(color)), scale(ColorBlue(color)), static_cast<std::uint8_t>(alpha));
}

TvxColor InterpolateColor(TvxColor from, TvxColor to, float t)
{
    TvxColor result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int start = channel(from, shift);
        int difference = channel(to, shift) - start;
        auto step = static_cast<std::int64_t>(std::trunc(static_cast<double>(t) * difference));
        result |= (static_cast<TvxColor>(start + step) & 0xFF) << shift;
    }
    return result;
}

TvxHsl ColorToHsl(TvxColor color)
{
    float r = ColorRed(color) / 255.0f;
    float g = ColorGreen(color) / 255.0f;
    float b = ColorBlue(color) / 255.0f;
    float high = std::max({ r, g, b });
    float low = std::min({ r, g, b });
    TvxHsl hsl;
    hsl.lightness = (high + low) / 2;
    float delta = high - low;
    if (delta == 0)
        return hsl;
    hsl.saturation = hsl.lightness <= 0.5f ? delta / (high + low) : delta / (2 - high - low);
    float hue;
    if (high == r)
        hue = (g - b) / delta;
    else if (high == g)
        hue = 2 + (b - r) / delta;
    else
        hue = 4 + (r - g) / delta;
    hue /= 6;
    if (hue < 0)
        hue += 1;
    hsl.hue = hue;
    return hsl;
}

TvxColor HslToColor(TvxHsl hsl)
{
    auto toByte = [](float value) {
        return static_cast<std::uint8_t>(std::clamp(std::nearbyint(value * 255.0f), 0.0f, 255.0f));
    };
    if (hsl.saturation == 0) {
        std::uint8_t grey = toByte(hsl.lightness);
        return MakeColor(grey, grey, grey);
    }
    float q = hsl.lightness < 0.5f ? hsl.lightness * (1 + hsl.saturation) : hsl.lightness + hsl.saturation - hsl.lightness * hsl.saturation;
    float p = 2 * hsl.lightness - q;
    auto hueToChannel = [p, q](float t) {
        if (t < 0)
            t += 1;
        if (t > 1)
            t -= 1;
        if (t < 1.0f / 6)
            return p + (q - p) * 6 * t;
        if (t < 0.5f)
            return q;
        if (t < 2.0f / 3)
            return p + (q - p) * (2.0f / 3 - t) * 6;
        return p;
    };
    return MakeColor(toByte(hueToChannel(hsl.hue + 1.0f / 3)), toByte(hueToChannel(hsl.hue)), toByte(hueToChannel(hsl.hue - 1.0f / 3)));
}

TvxColor ChangeLightness(TvxColor color, float delta)
{
    TvxHsl hsl = ColorToHsl(color);
    hsl.lightness = std::clamp(hsl.lightness + delta, 0.0f, 1.0f);
    return (HslToColor(hsl) & 0x00FFFFFF) | (color & 0xFF000000);
}

}
