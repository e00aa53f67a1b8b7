// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The air-quality source asked by position and China's air quality index.
//
// The index follows the national rule: each pollutant's individual index
// (IAQI) is the linear interpolation of its concentration between the
// breakpoints of its table, rounded up to a whole number; the AQI is the
// largest of them, and above 50 the pollutants with that index are the
// primary ones. PM2.5, PM10, SO2, NO2 and CO count by their 24-hour means
// ending at the current hour, O3 by the largest 8-hour running mean wholly
// within those 24 hours (above 800 µg/m³, by its largest hour there on the
// 1-hour table). An hour without a value is left out of a mean; a 24-hour mean needs
// 18 hours, an 8-hour mean 6.

#include "weather/PositionForecast.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

inline constexpr const char* kDefaultAirQualityUrl = "https://air-quality-api.open-meteo.com/v1/air-quality";

enum class Pollutant {
    PM2_5,
    PM10,
    SO2,
    NO2,
    CO,
    O3
};
inline constexpr std::size_t kPollutantCount = 6;

// The breakpoint tables; CO's is in mg/m³, every other one in µg/m³.
enum class AirTable {
    PM2_5,
    PM10,
    SO2,
    NO2,
    CO,
    O3EightHour,
    O3OneHour
};

// The hours of one answer: local times ("2026-12-11T14:00") and each
// pollutant's value of each hour in µg/m³ (nothing: no data).
struct AirHours {
    std::vector<std::string> times;
    std::array<std::vector<std::optional<double>>, kPollutantCount> values;

    std::vector<std::optional<double>>& operator[](Pollutant p) { return values[static_cast<std::size_t>(p)]; }
    const std::vector<std::optional<double>>& operator[](Pollutant p) const { return values[static_cast<std::size_t>(p)]; }
};

struct AirQualityIndex {
    int aqi { 0 };
    std::vector<Pollutant> primary;                             // empty at 50 or below
    std::optional<double> pm25Mean;                             // µg/m³, the 24-hour mean
    std::array<std::optional<int>, kPollutantCount> individual; // each pollutant's IAQI
};

struct AirGrade {
    int upTo;         // the grade's largest AQI
    const char* name; // "优", "良", …
    std::uint8_t red, green, blue;
    bool darkText; // the colour is light: dark text reads on it
};

// `baseUrl` with the query for `position`: the six pollutants' hours of
// yesterday and today in China's zone.
std::string AirQualityAddress(std::string_view baseUrl, GeoPosition position);

// The hours of an answer. A null, negative or unreadable value is no data.
// Throws std::runtime_error when the answer is not an object with an hourly
// object holding a time array and an array for every pollutant as long as it.
AirHours ReadAirQuality(std::string_view answer);

// The IAQI of a concentration on a table; nothing below zero or, on the O3
// 8-hour table, above 800. Above a table's last breakpoint it is 500.
std::optional<int> IndividualIndex(AirTable table, double concentration);

// The index at the hour `currentHour` (the answer's form, "2026-12-11T14:00"),
// or nothing when that hour is not in the answer or no pollutant has a value.
std::optional<AirQualityIndex> ComputeAirQuality(const AirHours& hours, std::string_view currentHour);

const AirGrade& GradeOf(int aqi);
// "PM2.5", "PM10", "SO2", "NO2", "CO", "O3".
const char* PollutantName(Pollutant pollutant);

}
