// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The last good forecast, kept in the data directory so that a start without
// the network shows what was last known instead of nothing. One file holds the
// six reports, the city they are for and the date of the first, in China's
// calendar (see ForecastDate.h).

#include "weather/ReportList.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace nimbrell {

inline constexpr int kKeptForecastDays = 6;
// A forecast fetched more days ago than this is too old to show.
inline constexpr int kKeptForecastMaxAgeDays = 5;

// `dataDirectory` (ending in "/") + the file's name.
std::string KeptForecastFile(const std::string& dataDirectory);

// Writes the six reports through a scratch file and a rename, so a reader
// sees the old file or the new one, never half of one; the file is the
// user's alone (0600). Throws std::runtime_error when it cannot be written.
void KeepForecast(const std::string& dataDirectory, const std::string& cityCode, std::chrono::year_month_day fetched,
    const std::vector<TInfo>& reports);

// The kept forecast of `cityCode` as it applies `today`: six reports, today
// first, each dated. Fetched d days ago (0 ≤ d ≤ 5), the rows move up by d, so
// the first is the one forecast for today, and the last d rows are empty. Nothing when
// no file is kept, or it is for another city, from the future, too old,
// damaged or cut short.
std::optional<std::vector<TInfo>> LoadKeptForecast(const std::string& dataDirectory, const std::string& cityCode,
    std::chrono::year_month_day today);

}
