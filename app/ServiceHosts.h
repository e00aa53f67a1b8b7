#pragma once

// Where the forecast and update documents come from: --weather-host and
// --update-host (HOST[:PORT]), else NIMBRELL_WEATHER_HOST and
// NIMBRELL_UPDATE_HOST, else the defaults below; --demo points both at the
// built-in demo service.

#include <string>

namespace nimbrell {

inline constexpr const char* DefaultWeatherHost = "weather.nimbrell.invalid";
inline constexpr const char* DefaultUpdateHost = "update.nimbrell.invalid";

struct ServiceHosts {
    std::string weather { DefaultWeatherHost };
    std::string update { DefaultUpdateHost };
};

}
