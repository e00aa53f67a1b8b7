// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the widget's weather panel shows, apart from the scene: the texts and
// pictures of the six daily reports, made by one pure function so that every
// rule of the panel is checked without a window, a server or a timer. The
// main window applies a view to its scene and nothing else.
//
//   before any result      -> PlaceholderPanelView()
//   2025, reports complete -> MakeWeatherPanelView(reports, pictureOf, ChinaToday())
//   2025, a day missing    -> nothing: the cycle treats it as a failed fetch

#include "weather/ReportList.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

namespace WeatherNotices {
inline constexpr const char* Loading = "正在获取天气信息...";
inline constexpr const char* Failure = "获取失败,一分钟后重新获取!";
// A day whose weather is not known (no description, or a code the source does not name).
inline constexpr const char* NoData = "暂无数据";
}

inline constexpr int kNotAvailablePicture = 0;

// The picture number of a weather description: InfoToIcon over the picture table.
using PictureLookup = std::function<int(std::string_view description)>;

// One of days 2 … 6.
struct WeatherDayView {
    int picture { kNotAvailablePicture }; // Image2 … Image6
    // text_date4 … text_date6 as "mm月dd日"; empty for days 2 and 3, which keep
    // their designed "明天" and "后天".
    std::string date;
    std::string temperature; // text_winDu2 … text_winDu6
    std::string weather;     // text_weather2 … text_weather6
};

struct WeatherPanelView {
    int picture { kNotAvailablePicture }; // Image1
    std::string weather;                  // text_weather
    std::string high;                     // text_wenDu: the temperature up to and including "~"
    std::string low;                      // text_wenDu_2
    std::string wind;                     // text_Wind
    std::array<WeatherDayView, 5> days {};
};

// Before the first result: the "not available" picture everywhere and no texts,
// so the designed sample weather is never taken for real.
WeatherPanelView PlaceholderPanelView();

// The panel for six reports, today first; more are ignored. Days 4 … 6 are
// labelled by the report's own date, or by `today` (China's date) plus the
// day's offset when the report has none. Nothing when fewer than six reports
// came.
std::optional<WeatherPanelView> MakeWeatherPanelView(const std::vector<TInfo>& reports, const PictureLookup& pictureOf,
    std::chrono::year_month_day today);

// The refresh timer's interval after a success, from the stored `updateInterval`
// (the settings window's item index: 60, 120 or 180 minutes; anything else is
// the window's default, 180), in milliseconds.
std::uint32_t StoredRefreshInterval(int updateInterval);
// The retry after a failed fetch.
inline constexpr std::uint32_t kRetryInterval = 60'000;

}
