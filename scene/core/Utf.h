#pragma once

// UTF-8 / UTF-16 conversions of stream texts. Malformed input becomes U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrell {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Number of UTF-16 code units of the UTF-8 text.
std::size_t Utf16Length(std::string_view text);
// The text itself when it is valid UTF-8, else a copy with U+FFFD for each malformed sequence.
std::string SanitizeUtf8(std::string_view text);
// 8-bit characters read as Latin-1.
std::string Latin1ToUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t codePoint);
// Decodes one code point at text[index], advancing index; U+FFFD for a malformed sequence.
char32_t NextCodePoint(std::string_view text, std::size_t& index);

}
