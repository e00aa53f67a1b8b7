// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/SpinValue.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace nimbrell {

namespace {

bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

std::u16string widen(const char* text)
{
    std::u16string out;
    for (; *text; ++text)
        out.push_back(static_cast<char16_t>(*text));
    return out;
}

// printf in the C locale, whatever the process locale is.
std::u16string formatNumber(const char* format, int precision, double value)
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    locale_t previous = uselocale(cLocale);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    uselocale(previous);
    return widen(buffer);
}

}

std::optional<double> ParseSpinText(const std::u16string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    // Copied to ASCII while checking the syntax, so strtod sees nothing else.
    std::string ascii;
    std::size_t i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        ascii.push_back(static_cast<char>(text[i++]));
    std::size_t digits = 0;
    while (i < end && isDigit(text[i])) {
        ascii.push_back(static_cast<char>(text[i++]));
        ++digits;
    }
    if (i < end && (text[i] == u'.' || text[i] == u',')) {
        ascii.push_back('.');
        ++i;
        while (i < end && isDigit(text[i])) {
            ascii.push_back(static_cast<char>(text[i++]));
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            ascii.push_back(static_cast<char>(text[i++]));
        std::size_t exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            ascii.push_back(static_cast<char>(text[i++]));
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    // Overflow gives ±HUGE_VAL, underflow a value near 0: both are the right reading.
    return strtod_l(ascii.c_str(), nullptr, cLocale);
}

double ClampSpinValue(double value, double min, double max)
{
    if (value > max)
        value = max;
    if (value < min)
        value = min;
    return value;
}

bool IsFractional(double value)
{
    return std::isfinite(value) && value != std::trunc(value);
}

std::u16string TruncatedText(double value)
{
    if (!std::isfinite(value))
        return u"0";
    double truncated = std::trunc(value);
    if (truncated == 0)
        return u"0";
    return formatNumber("%.*f", 0, truncated);
}

std::u16string FixedText(double value, int decimals)
{
    if (!std::isfinite(value))
        return u"0";
    std::u16string text = formatNumber("%.*f", std::clamp(decimals, 0, 15), value);
    // A value that rounds to zero shows no sign.
    if (text.starts_with(u"-") && text.find_first_not_of(u"-0.") == std::u16string::npos)
        text.erase(0, 1);
    return text;
}

std::u16string GeneralText(double value)
{
    if (!std::isfinite(value))
        return u"0";
    if (value == 0)
        return u"0";
    return formatNumber("%.*g", 15, value);
}

}
