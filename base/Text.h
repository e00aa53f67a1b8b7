// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small ASCII and formatting helpers shared by every layer; UTF-8 lives in base/Utf.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrell {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string AsciiLower(std::string_view text);
std::string_view TrimAsciiWhitespace(std::string_view text);

// A signed decimal integer with an optional sign and nothing else; nothing
// when the text does not convert or the value does not fit.
std::optional<std::int64_t> ParseDecimalInt64(std::string_view text);
std::optional<int> ParseDecimalInt(std::string_view text);

// printf-style formatting of the message texts ("Resource %s not found").
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}
