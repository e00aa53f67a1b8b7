#pragma once

// Small text helpers shared by every layer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrell::platform {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string AsciiLower(std::string_view text);
std::string_view TrimAsciiWhitespace(std::string_view text);

// A signed decimal integer with an optional sign and nothing else; nothing
// when the text does not convert or the value does not fit.
std::optional<std::int64_t> ParseDecimalInt64(std::string_view text);
std::optional<int> ParseDecimalInt(std::string_view text);

// Replaces every invalid UTF-8 sequence with U+FFFD.
std::string SanitizeUtf8(std::string_view text);

// printf-style formatting of the message texts ("Resource %s not found").
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}
