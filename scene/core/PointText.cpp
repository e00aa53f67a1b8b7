// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/PointText.h"

#include "base/Text.h"

#include <charconv>
#include <cmath>

namespace nimbrell {

namespace {

std::string formatNumber(float value)
{
    char buffer[64];
    double number = value;
    std::to_chars_result result;
    if (std::isfinite(number) && std::trunc(number) == number)
        result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 0);
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    if (text == "-0")
        text = "0";
    return text;
}

std::optional<float> parseNumber(std::string_view text)
{
    text = TrimAsciiWhitespace(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    float value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}

std::string FormatPointText(std::span<const float> values)
{
    std::string text = "(";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            text += ',';
        text += formatNumber(values[i]);
    }
    text += ')';
    return text;
}

std::optional<std::vector<float>> ParsePointText(std::string_view text, std::size_t count)
{
    std::size_t open = text.find('(');
    if (open == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(open + 1);
    std::size_t close = text.find(')');
    if (close != std::string_view::npos)
        text = text.substr(0, close);
    std::vector<float> values;
    for (;;) {
        std::size_t comma = text.find(',');
        auto value = parseNumber(text.substr(0, comma));
        if (!value)
            return std::nullopt;
        values.push_back(*value);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (values.size() != count)
        return std::nullopt;
    return values;
}

}
