// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/AirQualityThread.h"

#include "base/WorkerThread.h"
#include "platform/MessageQueue.h"
#include "weather/ForecastDate.h"

#include <algorithm>
#include <cstdio>

namespace nimbrell {

namespace {

// Two days of six pollutants' hours are about eight kilobytes.
constexpr std::int64_t kMaxAirAnswer = 1 << 20;

std::optional<AirQualityIndex> fetchIndex(const AirQualityRequest& request)
{
    PageFetchOptions options = request.fetch;
    options.maxBodySize = std::min(options.maxBodySize, kMaxAirAnswer);
    options.userAgent = ServiceUserAgent();
    std::string answer = FetchPage(AirQualityAddress(request.url, request.position), PageEncoding::Utf8, options);
    AirHours hours = ReadAirQuality(answer);
    return ComputeAirQuality(hours, ChinaHour(request.now ? request.now : std::time(nullptr)));
}

}

std::string ChinaHour(std::time_t moment)
{
    std::tm local = ChinaTime(moment);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:00", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
        local.tm_hour);
    return text;
}

void TAirQualityThread::Start(AirQualityRequest request)
{
    ProgramWorkers().Start([request = std::move(request)](std::stop_token stop) { Run(request, stop); });
}

void TAirQualityThread::Run(const AirQualityRequest& request, std::stop_token stop)
{
    std::optional<AirQualityIndex> index;
    try {
        index = fetchIndex(request);
    } catch (...) {
        // No chip, and nothing else changes.
    }
    if (stop.stop_requested())
        return;
    bool stored = false;
    if (index) {
        if (auto records = request.reports->LockFor(request.requestNumber)) {
            records->Extras().air = std::move(index);
            stored = true;
        }
    }
    platform::PostMessage(request.window, kAirQualityMessage, static_cast<platform::WPARAM>(request.requestNumber), stored ? 1 : 0);
}

}
