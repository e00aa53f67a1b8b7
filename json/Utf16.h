#pragma once

// Conversions between UTF-8 and the UTF-16 texts the JSON reader stores.

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrell {

// Decodes one character of UTF-8 at the start of `bytes` (which must not be empty).
// Overlong forms, encoded surrogates and values above U+10FFFF are invalid; an invalid
// sequence decodes to U+FFFD and consumes its longest valid prefix (at least one byte).
struct Utf8Char {
    char32_t codePoint;
    std::size_t length;
};

inline Utf8Char DecodeUtf8Char(const unsigned char* bytes, std::size_t available)
{
    constexpr char32_t replacement = 0xFFFD;
    unsigned char lead = bytes[0];
    if (lead < 0x80)
        return { lead, 1 };

    std::size_t length;
    char32_t codePoint;
    // Bounds of the second byte exclude overlong forms, surrogates and values above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return { replacement, 1 };
    }

    for (std::size_t i = 1; i < length; ++i) {
        if (i >= available)
            return { replacement, i };
        unsigned char byte = bytes[i];
        bool valid = i == 1 ? byte >= low && byte <= high : (byte & 0xC0) == 0x80;
        if (!valid)
            return { replacement, i };
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    return { codePoint, length };
}

// Appends `codePoint` as one or two UTF-16 code units.
void AppendUtf16(std::u16string& out, char32_t codePoint);

// Invalid UTF-8 becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}
