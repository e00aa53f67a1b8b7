#pragma once

// The weather worker: fetches one city's forecast document, appends the six
// daily reports to the report list and tells the main window by a posted
// message (2025 done, 2026 failed). One worker per request; it ends by itself.

#include "platform/Message.h"
#include "weather/PageFetch.h"
#include "weather/ReportList.h"

#include <string>

namespace nimbrell {

inline constexpr std::uint32_t kWeatherReadyMessage = 2025;
inline constexpr std::uint32_t kWeatherFailedMessage = 2026;

struct WeatherRequest {
    std::string host;     // HOST[:PORT] of the forecast service
    std::string areaCode; // nine-digit city code
    platform::HWND window { 0 };
    SharedReportList reports;
    PageFetchOptions fetch;
};

// The forecast document's address for a city.
std::string WeatherAddress(const std::string& host, const std::string& areaCode);

class TWeatherThread {
public:
    // Starts the worker on a thread of its own; nothing is kept of it.
    static void Start(WeatherRequest request);
    // The worker's whole run on the calling thread.
    static void Run(const WeatherRequest& request);
};

}
