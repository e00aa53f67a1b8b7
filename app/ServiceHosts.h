// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the forecast and update documents come from: --weather-host and
// --update-host (HOST[:PORT]), else NIMBRELL_WEATHER_HOST and
// NIMBRELL_UPDATE_HOST; --demo points both at the built-in demo service.
// Without a weather host the forecast is asked by the city's position from
// --forecast-url, else NIMBRELL_FORECAST_URL, else the public service, and
// the air quality beside it from --air-quality-url, else
// NIMBRELL_AIR_QUALITY_URL, else the public air-quality service.

#include "weather/AirQuality.h"
#include "weather/PositionForecast.h"

#include <string>

namespace nimbrell {

struct ServiceHosts {
    std::string weather;   // the classic document's host; empty: ask by position
    std::string update {}; // empty: no update check at all
    std::string forecast { kDefaultForecastUrl };
    std::string air { kDefaultAirQualityUrl };
};

}
