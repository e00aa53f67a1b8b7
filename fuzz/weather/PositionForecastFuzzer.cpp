// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the reader of the forecast asked by position and
// checks its promise: six reports or an error, and texts that are short,
// whatever numbers the answer holds.

#include "weather/PositionForecast.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nimbrell;
    std::vector<TInfo> reports;
    try {
        reports = ReadPositionForecast(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception&) {
        return 0;
    }
    if (reports.size() != 6)
        std::abort();
    for (const auto& report : reports) {
        if (report.tianQi.size() > 32 || report.wenDu.size() > 32 || report.fengLi.size() > 32)
            std::abort();
    }
    return 0;
}
