// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WeatherTexts.h"

#include <cstdio>

namespace nimbrell {

namespace {

constexpr std::size_t temperatureLimit = 100;
constexpr std::size_t displayLimit = 200;

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}

std::string LeadingCharacters(const std::string& text, std::size_t count)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isContinuationByte(text[i]))
            continue;
        if (characters == count)
            return text.substr(0, i);
        ++characters;
    }
    return text;
}

TemperatureParts SplitTemperature(const std::string& wenDu)
{
    std::size_t tilde = wenDu.find('~');
    if (tilde == std::string::npos)
        return { "", LeadingCharacters(wenDu, temperatureLimit) };
    return { wenDu.substr(0, tilde + 1), LeadingCharacters(wenDu.substr(tilde + 1), temperatureLimit) };
}

std::string DateLabel(std::chrono::year_month_day date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u月%02u日", static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string DisplayText(const std::string& text)
{
    std::string shown = LeadingCharacters(text, displayLimit);
    for (char& c : shown) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return shown;
}

}
