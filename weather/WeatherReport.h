// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the weather sources give: one day's report, the conditions now and
// where a place is.

#include <chrono>
#include <optional>
#include <string>

namespace nimbrell {

struct TInfo {
    std::string tianQi; // weather description
    std::string wenDu;  // temperature range: high "~" low
    std::string fengLi; // wind
    // The date the report is for, in China's calendar; not ok() when the source did not say.
    std::chrono::year_month_day day {};
};

// The conditions now, from the position source. A missing or null member is no value.
struct CurrentConditions {
    std::string time;                          // local time of the data, "2026-12-11T14:00"
    std::optional<double> temperature;         // ℃
    std::optional<double> apparentTemperature; // ℃
    std::optional<double> relativeHumidity;    // %
    std::optional<int> weatherCode;
};

struct GeoPosition {
    double latitude { 0 };  // degrees north
    double longitude { 0 }; // degrees east
};

}
