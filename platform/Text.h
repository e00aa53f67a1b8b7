#pragma once

// Small text helpers shared by every layer.

#include <string>
#include <string_view>

namespace nimbrell::platform {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string AsciiLower(std::string_view text);
std::string_view TrimAsciiWhitespace(std::string_view text);

// printf-style formatting of the message texts ("Resource %s not found").
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}
