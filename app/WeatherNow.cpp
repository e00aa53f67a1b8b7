// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WeatherNow.h"

#include "app/WeatherTexts.h"
#include "base/Text.h"
#include "weather/ForecastDate.h"

#include <cmath>
#include <ctime>

namespace nimbrell {

namespace {

constexpr std::uint32_t kDarkText = 0xFF1E1E1E;
constexpr std::uint32_t kLightText = 0xFFFFFFFF;

bool isDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "HH:MM" of a local time in the source's form "2026-12-11T14:00".
std::optional<std::string> clockOf(std::string_view time)
{
    if (time.size() < 16 || time[10] != 'T' || time[13] != ':' || !isDigits(time.substr(11, 2)) || !isDigits(time.substr(14, 2)))
        return std::nullopt;
    int hour = std::stoi(std::string(time.substr(11, 2))), minute = std::stoi(std::string(time.substr(14, 2)));
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return std::string(time.substr(11, 5));
}

std::string chinaClock(std::time_t moment)
{
    std::tm local = ChinaTime(moment);
    return Format("%02d:%02d", local.tm_hour, local.tm_min);
}

// Whole degrees; nothing for a value no thermometer gives.
std::optional<long> wholeDegrees(const std::optional<double>& temperature)
{
    if (!temperature || !std::isfinite(*temperature) || std::fabs(*temperature) > 200)
        return std::nullopt;
    return std::lround(*temperature);
}

std::string currentTemperature(const WeatherExtras& extras)
{
    std::optional<long> degrees = extras.current ? wholeDegrees(extras.current->temperature) : std::nullopt;
    return degrees ? "现在 " + std::to_string(*degrees) + "℃" : std::string();
}

// Today's "high~low" as "low~high"; a range without "~" as it stands.
std::string rangeLowToHigh(const std::string& wenDu)
{
    TemperatureParts parts = SplitTemperature(DisplayText(wenDu));
    if (parts.first.empty())
        return parts.second;
    std::string high = parts.first.substr(0, parts.first.size() - 1);
    if (high.empty() || parts.second.empty())
        return high + parts.second;
    return parts.second + "~" + high;
}

std::string joined(std::initializer_list<std::string> parts)
{
    std::string text;
    for (const auto& part : parts) {
        if (part.empty())
            continue;
        text += (text.empty() ? "" : " ") + part;
    }
    return text;
}

}

NowRowView MakeNowRowView(std::string_view city, const WeatherExtras& extras)
{
    NowRowView view;
    view.city = DisplayText(std::string(city));
    view.now = currentTemperature(extras);
    std::optional<std::string> clock = extras.current ? clockOf(extras.current->time) : std::nullopt;
    if (!clock && extras.fetched != 0)
        clock = chinaClock(extras.fetched);
    if (clock)
        view.updated = *clock + " 更新";
    return view;
}

std::optional<AirChipView> MakeAirChipView(const std::optional<AirQualityIndex>& air)
{
    if (!air)
        return std::nullopt;
    const AirGrade& grade = GradeOf(air->aqi);
    AirChipView view;
    view.text = std::string(grade.name) + " " + std::to_string(air->aqi);
    view.fill = 0xFF000000u | std::uint32_t(grade.red) << 16 | std::uint32_t(grade.green) << 8 | grade.blue;
    view.textColour = grade.darkText ? kDarkText : kLightText;
    std::string primary;
    for (Pollutant pollutant : air->primary)
        primary += (primary.empty() ? "" : "、") + std::string(PollutantName(pollutant));
    std::string pm25 = air->pm25Mean ? Format("PM2.5 %ld µg/m³", std::lround(*air->pm25Mean)) : std::string();
    view.hint = primary.empty() ? pm25 : "首要污染物 " + primary + (pm25.empty() ? "" : " · " + pm25);
    return view;
}

std::string TrayTipText(std::string_view city, const WeatherExtras& extras, const TInfo& today)
{
    std::string temperature = currentTemperature(extras);
    if (temperature.empty())
        temperature = rangeLowToHigh(today.wenDu);
    std::string description = today.tianQi == kUnknownWeatherText ? std::string() : DisplayText(today.tianQi);
    return joined({ DisplayText(std::string(city)), temperature, description });
}

}
