// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The forecast source asked by position: the address of a six-day daily
// forecast for a latitude and longitude, and its JSON answer turned into the
// six reports the classic document gives, in the picture table's words.

#include "weather/WeatherReport.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

inline constexpr const char* kDefaultForecastUrl = "https://api.open-meteo.com/v1/forecast";

// `baseUrl` with "latitude=…&longitude=…" (four decimals) added to its query.
std::string PositionAddress(std::string_view baseUrl, GeoPosition position);

// `baseUrl` with the query for `position`: the five daily variables and the
// conditions now, local days of China's zone, six days.
std::string PositionForecastAddress(std::string_view baseUrl, GeoPosition position);

struct PositionAnswer {
    std::vector<TInfo> reports;
    std::optional<CurrentConditions> current; // nothing when the answer has no "current" object
};

// The six reports and the conditions now; throws as ReadPositionForecast.
PositionAnswer ReadPositionAnswer(std::string_view answer);

// The six reports of an answer, today first, each dated by the answer's own
// day ("daily.time"; undated when it is missing). A missing, null or unreadable
// value leaves its text empty; an unknown weather code gives a description
// that matches no picture. Throws std::runtime_error when the answer is not an
// object with six-day arrays of every variable.
std::vector<TInfo> ReadPositionForecast(std::string_view answer);

// The description of a weather code the source does not name; it begins no
// name of the picture table.
inline constexpr const char* kUnknownWeatherText = "未知天气";

// The texts of one day, each from its own values.
std::string WeatherCodeText(int code);
// "high℃~low℃", rounded to whole degrees.
std::string TemperatureText(double high, double low);
// Beaufort level 0..12 of a speed in km/h.
int BeaufortLevel(double kilometresPerHour);
// The eight-point direction the wind comes from and the level: "东北风4级";
// level 2 or less is "微风"; without a direction, the level alone ("4级").
std::string WindText(std::optional<double> directionDegrees, double kilometresPerHour);

}
