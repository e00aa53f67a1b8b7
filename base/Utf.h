// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one UTF-8 / UTF-16 codec of the program. Bad input never fails: each
// maximal invalid run (the longest prefix of a sequence that could still have
// become valid, or else one byte) turns into one U+FFFD, and so does each
// unpaired surrogate in UTF-16.

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrell {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Char {
    char32_t codePoint;
    std::size_t length; // bytes consumed, at least 1
};

// Decodes one character at the start of `bytes` (`available` > 0). Overlong
// forms, encoded surrogates and values above U+10FFFF are invalid; an invalid
// sequence decodes to U+FFFD and consumes its maximal invalid run. Inline
// because the JSON parser calls it for every non-ASCII character.
inline Utf8Char DecodeUtf8Char(const unsigned char* bytes, std::size_t available)
{
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
        return { kReplacementCharacter, 1 };
    }

    for (std::size_t i = 1; i < length; ++i) {
        if (i >= available)
            return { kReplacementCharacter, i };
        unsigned char byte = bytes[i];
        bool valid = i == 1 ? byte >= low && byte <= high : (byte & 0xC0) == 0x80;
        if (!valid)
            return { kReplacementCharacter, i };
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    return { codePoint, length };
}

inline Utf8Char DecodeUtf8Char(std::string_view text)
{
    return DecodeUtf8Char(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// Decodes the character at text[index] and advances index past it.
inline char32_t NextCodePoint(std::string_view text, std::size_t& index)
{
    Utf8Char decoded = DecodeUtf8Char(text.substr(index));
    index += decoded.length;
    return decoded.codePoint;
}

// Surrogates and values above U+10FFFF are appended as U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);
void AppendUtf16(std::u16string& out, char32_t codePoint);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// Number of UTF-16 code units Utf8ToUtf16 would produce.
std::size_t Utf16Length(std::string_view utf8);

// The text itself when it is valid UTF-8, else a copy with the replacements.
std::string SanitizeUtf8(std::string_view text);
// The longest prefix of at most maxBytes that does not cut a character in two.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);
// At most `count` characters (code points) of valid UTF-8 text.
std::string_view Utf8FirstCharacters(std::string_view text, std::size_t count);
// 8-bit characters read as Latin-1.
std::string Latin1ToUtf8(std::string_view text);

}
