// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The weather worker: fetches one city's forecast, appends the six daily
// reports to the report list and tells the main window by a posted message
// (2025 done, 2026 failed; wParam the request's number). One worker per
// request; it ends by itself.
//
// Two sources: given a host, the classic document "/data/<code>.html" there;
// otherwise the forecast service asked by the city's position.

#include "platform/Message.h"
#include "weather/PageFetch.h"
#include "weather/PositionForecast.h"
#include "weather/ReportList.h"

#include <stop_token>
#include <cstdint>
#include <optional>
#include <string>

namespace nimbrell {

inline constexpr std::uint32_t kWeatherReadyMessage = 2025;
inline constexpr std::uint32_t kWeatherFailedMessage = 2026;

struct WeatherRequest {
    std::string host {};     // HOST[:PORT] of the classic forecast service; empty: ask by position
    std::string areaCode {}; // nine-digit city code
    platform::HWND window { 0 };
    SharedReportList reports {};
    PageFetchOptions fetch {};
    // The position source: its base address and the city's position.
    std::string forecastUrl { kDefaultForecastUrl };
    std::optional<GeoPosition> position {};
    // The number given to ReportList::BeginRequest for this request.
    std::uint64_t requestNumber { 0 };
    // Where a successful result is kept (see KeptForecast.h); empty: not kept.
    std::string keptDirectory {};
};

// The forecast document's address for a city.
std::string WeatherAddress(const std::string& host, const std::string& areaCode);

class TWeatherThread {
public:
    // Starts the worker on a thread of its own; nothing is kept of it.
    static void Start(WeatherRequest request);
    // The worker's whole run on the calling thread.
    // A stopped worker hands nothing back (see WorkerSet).
    static void Run(const WeatherRequest& request, std::stop_token stop = {});
};

}
