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
Utf8Char DecodeUtf8Char(const unsigned char* bytes, std::size_t available);

// Appends `codePoint` as one or two UTF-16 code units.
void AppendUtf16(std::u16string& out, char32_t codePoint);

// Invalid UTF-8 becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}
