// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The forecast's calendar. The sources speak of China's days (UTC+8, no
// daylight saving), so the reports are dated in China's calendar whatever
// zone the machine is in.

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrell {

// China's date at a moment.
std::chrono::year_month_day ChinaDate(std::time_t moment);
// China's date now.
std::chrono::year_month_day ChinaToday();
// China's wall clock at a moment, as gmtime_r fills it.
std::tm ChinaTime(std::time_t moment);

// "2026-12-11"; nothing for any other form or an impossible date.
std::optional<std::chrono::year_month_day> ParseIsoDate(std::string_view text);
std::string IsoDateText(std::chrono::year_month_day date);

}
