// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WeatherPanel.h"

#include "app/WeatherTexts.h"
#include "weather/PositionForecast.h"

namespace nimbrell {

namespace {

constexpr std::size_t kDays = 6;
// Days before this one keep their designed labels.
constexpr std::size_t kFirstDatedDay = 3;

bool isEmpty(const TInfo& report)
{
    return report.tianQi.empty() && report.wenDu.empty() && report.fengLi.empty();
}

bool isKnownWeather(const TInfo& report)
{
    return !report.tianQi.empty() && report.tianQi != kUnknownWeatherText;
}

std::string description(const TInfo& report)
{
    if (isEmpty(report))
        return {};
    return isKnownWeather(report) ? DisplayText(report.tianQi) : WeatherNotices::NoData;
}

int picture(const TInfo& report, const PictureLookup& pictureOf)
{
    return isKnownWeather(report) ? pictureOf(report.tianQi) : kNotAvailablePicture;
}

// "description,wind", without a lone comma when either is missing.
std::string dayWeather(const TInfo& report)
{
    std::string text = description(report);
    std::string wind = DisplayText(report.fengLi);
    if (!text.empty() && !wind.empty())
        text += ",";
    return text + wind;
}

std::string dateOf(const TInfo& report, std::chrono::year_month_day today, std::size_t offset)
{
    if (report.day.ok())
        return DateLabel(report.day);
    if (!today.ok())
        return {};
    return DateLabel(std::chrono::sys_days(today) + std::chrono::days(offset));
}

}

WeatherPanelView PlaceholderPanelView()
{
    return {};
}

std::optional<WeatherPanelView> MakeWeatherPanelView(const std::vector<TInfo>& reports, const PictureLookup& pictureOf,
    std::chrono::year_month_day today)
{
    if (reports.size() < kDays)
        return std::nullopt;
    WeatherPanelView view;
    const TInfo& first = reports[0];
    view.picture = picture(first, pictureOf);
    view.weather = description(first);
    TemperatureParts temperature = SplitTemperature(first.wenDu);
    view.high = DisplayText(temperature.first);
    view.low = DisplayText(temperature.second);
    view.wind = DisplayText(first.fengLi);
    for (std::size_t index = 1; index < kDays; ++index) {
        const TInfo& report = reports[index];
        WeatherDayView& day = view.days[index - 1];
        day.picture = picture(report, pictureOf);
        if (index >= kFirstDatedDay)
            day.date = dateOf(report, today, index);
        day.temperature = DisplayText(report.wenDu);
        day.weather = dayWeather(report);
    }
    return view;
}

std::uint32_t StoredRefreshInterval(int updateInterval)
{
    static constexpr std::uint32_t minutes[] = { 60, 120, 180 };
    constexpr int choices = static_cast<int>(std::size(minutes));
    std::uint32_t chosen = updateInterval >= 0 && updateInterval < choices ? minutes[updateInterval] : minutes[choices - 1];
    return chosen * 60'000u;
}

}
