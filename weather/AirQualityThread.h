// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The air-quality worker: asks the air-quality service for a position's hours,
// computes the index at the current hour of China's zone, stores it beside the
// reports of its weather request and tells the main window by a posted
// message (2027; wParam the request's number, lParam 1 with an index, 0 when
// the answer failed or gave none). It never touches the reports themselves,
// so a failed air answer leaves the weather whole.

#include "platform/Message.h"
#include "weather/AirQuality.h"
#include "weather/PageFetch.h"
#include "weather/ReportList.h"

#include <stop_token>
#include <cstdint>
#include <ctime>
#include <string>

namespace nimbrell {

inline constexpr std::uint32_t kAirQualityMessage = 2027;

struct AirQualityRequest {
    std::string url { kDefaultAirQualityUrl };
    GeoPosition position {};
    platform::HWND window { 0 };
    SharedReportList reports {};
    PageFetchOptions fetch {};
    // The number of the weather request the index belongs to.
    std::uint64_t requestNumber { 0 };
    // The moment the index is for; 0: when the answer arrives.
    std::time_t now { 0 };
};

// The hour of `moment` in China's zone (UTC+8 all year), as the air answer
// names its hours: "2026-12-11T14:00".
std::string ChinaHour(std::time_t moment);

class TAirQualityThread {
public:
    static void Start(AirQualityRequest request);
    // A stopped worker hands nothing back (see WorkerSet).
    static void Run(const AirQualityRequest& request, std::stop_token stop = {});
};

}
