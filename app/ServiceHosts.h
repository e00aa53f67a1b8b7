#pragma once

// Where the forecast and update documents come from: --weather-host and
// --update-host (HOST[:PORT]), else NIMBRELL_WEATHER_HOST and
// NIMBRELL_UPDATE_HOST, else the defaults below; --demo points both at the
// built-in demo service.

#include <string>
#include <vector>

namespace nimbrell {

inline constexpr const char* DefaultWeatherHost = "weather.nimbrell.invalid";
inline constexpr const char* DefaultUpdateHost = "update.nimbrell.invalid";

struct ServiceHosts {
    std::string weather { DefaultWeatherHost };
    std::string update { DefaultUpdateHost };
};

struct CommandLine {
    ServiceHosts hosts;
    bool demo { false }; // serve forecasts from the built-in demo service
    std::string render;  // --render FILE.png: draw the widget headlessly into the file
    std::vector<std::string> errors; // unknown options or missing values
};

// Reads the environment first, then the arguments, which win.
CommandLine ParseCommandLine(int argc, const char* const* argv);

}
