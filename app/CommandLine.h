// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's options. Each option is one entry of the table in
// CommandLine.cpp; an option with an environment variable reads the variable
// first and the argument wins. Values come as "--name=VALUE" or "--name VALUE".

#include "app/ServiceHosts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

struct CommandLine {
    ServiceHosts hosts;
    bool demo { false }; // serve forecasts from the built-in demo service
    bool help { false };
    bool version { false };
    std::string render;               // --render FILE.png: draw the widget headlessly into the file and exit
    bool panel { false };             // --panel: --render draws the five-day panel open
    std::string window { "weather" }; // --window: the window --render draws
    // --background #RRGGBB: the opaque colour (ARGB) --render lays the window on; none: transparent
    std::optional<std::uint32_t> background;
    std::vector<std::string> errors; // unknown options, missing, empty or malformed values
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// "#RRGGBB" as an opaque ARGB colour; nothing for any other text.
std::optional<std::uint32_t> ParseBackgroundColour(std::string_view value);

// Each option the parser knows, with its environment variable (empty: none).
struct KnownOption {
    std::string_view name;
    std::string_view environment;
};
std::vector<KnownOption> KnownOptions();

// One line for standard error after a command-line error.
std::string UsageText();
// Every option and environment variable, and where the program keeps its files.
std::string HelpText();
// "nimbrell VERSION (build STAMP)".
std::string VersionText();

}
