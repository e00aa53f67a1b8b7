// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/ForecastDate.h"

#include <cstdio>

namespace nimbrell {

namespace {

constexpr std::chrono::hours kChinaOffset { 8 };

}

std::chrono::year_month_day ChinaDate(std::time_t moment)
{
    auto utc = std::chrono::system_clock::from_time_t(moment);
    return std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(utc + kChinaOffset));
}

std::chrono::year_month_day ChinaToday()
{
    return ChinaDate(std::time(nullptr));
}

std::tm ChinaTime(std::time_t moment)
{
    std::time_t shifted = moment + std::chrono::seconds(kChinaOffset).count();
    std::tm local {};
    gmtime_r(&shifted, &local);
    return local;
}

std::optional<std::chrono::year_month_day> ParseIsoDate(std::string_view text)
{
    int year;
    unsigned month, day;
    char rest;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-'
        || std::sscanf(std::string(text).c_str(), "%4d-%2u-%2u%c", &year, &month, &day, &rest) != 3)
        return std::nullopt;
    std::chrono::year_month_day date { std::chrono::year(year), std::chrono::month(month), std::chrono::day(day) };
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::string IsoDateText(std::chrono::year_month_day date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
        static_cast<unsigned>(date.day()));
    return text;
}

}
