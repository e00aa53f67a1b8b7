// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the widget says about the moment, apart from the scene: the today
// panel's row (the place, the temperature now, the time of the data), the
// air-quality chip beside it and the notification-area icon's tip. Pure
// functions of what a request brought, so every rule is checked on its own.

#include "weather/AirQuality.h"
#include "weather/ReportList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrell {

struct NowRowView {
    std::string city;    // text_city
    std::string now;     // text_now: "现在 3℃"; empty without a temperature now
    std::string updated; // text_updated: "14:05 更新"; empty when the time is not known
};

// The row for a place's name and what came with its forecast: the time of the
// conditions now (China's clock, as the source gives it), else the moment the
// forecast arrived, shown in China's time.
NowRowView MakeNowRowView(std::string_view city, const WeatherExtras& extras);

struct AirChipView {
    std::string text;               // "良 68"
    std::uint32_t fill { 0 };       // the grade's colour, ARGB
    std::uint32_t textColour { 0 }; // dark on the light grades, light on the dark ones
    std::string hint;               // "首要污染物 PM2.5 · PM2.5 62 µg/m³"
};

// The chip for an index; nothing (no chip) without one.
std::optional<AirChipView> MakeAirChipView(const std::optional<AirQualityIndex>& air);

// The notification-area icon's tip: the place, the temperature now (or, without
// one, today's range low to high) and today's description: "哈尔滨 现在 3℃ 晴",
// "哈尔滨 -13℃~3℃ 晴".
std::string TrayTipText(std::string_view city, const WeatherExtras& extras, const TInfo& today);

}
