// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/ProcessState.h"
#include "data/Autorun.h"
#include "http/HttpTarget.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#ifndef NIMBRELL_VERSION
#error "the build defines NIMBRELL_VERSION from the project version"
#endif

namespace nimbrell {

namespace {

// What is wrong with a value ("is not HOST[:PORT]"), or an empty text.
using ValueCheck = std::string (*)(std::string_view value);

struct Option {
    std::string_view name;
    std::string_view environment; // read before the arguments; empty: none
    ValueCheck check;             // null: the option takes no value
    void (*store)(CommandLine& line, std::string value);
};

bool isControlOrBlank(unsigned char c)
{
    return c <= 0x20 || c >= 0x7F;
}

std::string hostAndPort(std::string_view value)
{
    const std::string problem = "is not HOST[:PORT] (a port from 1 to 65535)";
    if (value.ends_with(':') || value.find_first_of("/?#@") != std::string_view::npos
        || std::any_of(value.begin(), value.end(), isControlOrBlank))
        return problem;
    try {
        ResolveTarget({}, "http://" + std::string(value) + "/");
    } catch (const std::exception&) {
        return problem;
    }
    return {};
}

std::string webAddress(std::string_view value)
{
    const std::string problem = "is not an http:// or https:// address";
    if (!(value.starts_with("http://") || value.starts_with("https://"))
        || std::any_of(value.begin(), value.end(), isControlOrBlank))
        return problem;
    try {
        ResolveTarget({}, std::string(value));
    } catch (const std::exception&) {
        return problem;
    }
    return {};
}

std::string pictureFile(std::string_view value)
{
    if (std::any_of(value.begin(), value.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
        return "is not a file name";
    return {};
}

// The windows --render can draw.
std::string windowName(std::string_view value)
{
    return value == "weather" || value == "update" || value == "config"
        ? std::string()
        : std::string("is not a window this build can draw (weather, config, update)");
}

// "#RRGGBB": the opaque colour --render lays the window on.
std::string backgroundColour(std::string_view value)
{
    return ParseBackgroundColour(value) ? std::string() : std::string("is not a colour #RRGGBB");
}

// A value as an error message shows it: quoted, control characters as "?",
// and cut short, so that a pasted page cannot flood or drive the terminal.
std::string quoted(std::string_view value)
{
    constexpr std::size_t shown = 80;
    std::string text = "\"";
    for (unsigned char c : value.substr(0, shown))
        text += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    return text + (value.size() > shown ? "...\"" : "\"");
}

// One entry per option; HelpText() and the manual page describe each of them.
constexpr Option kOptions[] = {
    { "--help", {}, nullptr, [](CommandLine& line, std::string) { line.help = true; } },
    { "--version", {}, nullptr, [](CommandLine& line, std::string) { line.version = true; } },
    { "--demo", {}, nullptr, [](CommandLine& line, std::string) { line.demo = true; } },
    { "--weather-host", "NIMBRELL_WEATHER_HOST", hostAndPort,
        [](CommandLine& line, std::string value) { line.hosts.weather = std::move(value); } },
    { "--forecast-url", "NIMBRELL_FORECAST_URL", webAddress,
        [](CommandLine& line, std::string value) { line.hosts.forecast = std::move(value); } },
    { "--air-quality-url", "NIMBRELL_AIR_QUALITY_URL", webAddress,
        [](CommandLine& line, std::string value) { line.hosts.air = std::move(value); } },
    { "--update-host", "NIMBRELL_UPDATE_HOST", hostAndPort,
        [](CommandLine& line, std::string value) { line.hosts.update = std::move(value); } },
    { "--render", {}, pictureFile, [](CommandLine& line, std::string value) { line.render = std::move(value); } },
    { "--window", {}, windowName, [](CommandLine& line, std::string value) { line.window = std::move(value); } },
    { "--panel", {}, nullptr, [](CommandLine& line, std::string) { line.panel = true; } },
    { "--background", {}, backgroundColour,
        [](CommandLine& line, std::string value) { line.background = ParseBackgroundColour(value); } },
};

const Option* findOption(std::string_view name)
{
    for (const auto& option : kOptions) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

// Stores a value that passed its check; `source` names the option or variable.
void storeValue(CommandLine& line, const Option& option, std::string_view source, std::string value)
{
    if (value.empty()) {
        line.errors.push_back("empty value for " + std::string(source));
        return;
    }
    if (auto problem = option.check(value); !problem.empty()) {
        line.errors.push_back(std::string(source) + ": " + quoted(value) + " " + problem);
        return;
    }
    option.store(line, std::move(value));
}

}

std::optional<std::uint32_t> ParseBackgroundColour(std::string_view value)
{
    if (value.size() != 7 || value[0] != '#')
        return std::nullopt;
    std::uint32_t rgb = 0;
    for (char c : value.substr(1)) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F'                                        ? c - 'A' + 10
                                                                          : -1;
        if (digit < 0)
            return std::nullopt;
        rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    return 0xFF000000u | rgb;
}

CommandLine ParseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    std::vector<const Option*> given;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        auto equals = argument.find('=');
        const Option* option = argument.starts_with("--") ? findOption(argument.substr(0, equals)) : nullptr;
        if (!option) {
            line.errors.push_back("unknown option " + quoted(argument));
            continue;
        }
        given.push_back(option);
        if (!option->check) {
            if (equals != std::string_view::npos)
                line.errors.push_back(std::string(option->name) + " takes no value");
            else
                option->store(line, {});
            continue;
        }
        if (equals != std::string_view::npos) {
            storeValue(line, *option, option->name, std::string(argument.substr(equals + 1)));
        } else if (i + 1 < argc && !std::string_view(argv[i + 1]).starts_with("--")) {
            storeValue(line, *option, option->name, argv[++i]);
        } else {
            line.errors.push_back("missing value for " + std::string(option->name));
        }
    }

    // An unset or empty variable counts as absent; a given option makes its variable irrelevant.
    for (const auto& option : kOptions) {
        if (option.environment.empty() || std::find(given.begin(), given.end(), &option) != given.end())
            continue;
        const char* value = std::getenv(std::string(option.environment).c_str());
        if (value && *value)
            storeValue(line, option, option.environment, value);
    }
    return line;
}

std::vector<KnownOption> KnownOptions()
{
    std::vector<KnownOption> known;
    for (const auto& option : kOptions)
        known.push_back({ option.name, option.environment });
    return known;
}

std::string UsageText()
{
    return "usage: nimbrell [OPTION]...   ('nimbrell --help' lists the options)\n";
}

std::string HelpText()
{
    std::string program = ProgramPath();
    return "usage: nimbrell [OPTION]...\n"
           "A desktop weather widget for Chinese cities.\n"
           "\n"
           "Options (a value follows as --option=VALUE or --option VALUE;\n"
           "an option wins over its environment variable):\n"
           "  --weather-host HOST[:PORT]  fetch forecasts from http://HOST[:PORT]/data/<city code>.html\n"
           "                              (environment NIMBRELL_WEATHER_HOST)\n"
           "  --forecast-url URL          base address of the forecast service asked by the city's\n"
           "                              position, used when no weather host is given\n"
           "                              (environment NIMBRELL_FORECAST_URL)\n"
           "  --air-quality-url URL       base address of the air-quality service asked by the city's\n"
           "                              position beside that forecast\n"
           "                              (environment NIMBRELL_AIR_QUALITY_URL)\n"
           "  --update-host HOST[:PORT]   ask http://HOST[:PORT]/weather/updateInfo.html for a newer build\n"
           "                              (environment NIMBRELL_UPDATE_HOST); without either the\n"
           "                              program asks no one for updates\n"
           "  --demo                      serve forecasts, the air and updates from a built-in\n"
           "                              service on 127.0.0.1 and ask it for everything (for\n"
           "                              updates only when no update host is given)\n"
           "  --render FILE.png           draw a window without a desktop into FILE.png, after the\n"
           "                              first weather result, and end\n"
           "  --window weather|config|update\n"
           "                              the window --render draws (the widget by default)\n"
           "  --panel                     --render draws the widget with its five-day panel open\n"
           "  --background #RRGGBB        --render lays the window on this colour (a desktop's\n"
           "                              stand-in) instead of leaving it transparent\n"
           "  --help                      show this help and end\n"
           "  --version                   show the version and build stamp and end\n"
           "\n"
           "Environment:\n"
           "  NIMBRELL_WEATHER_HOST, NIMBRELL_FORECAST_URL, NIMBRELL_AIR_QUALITY_URL,\n"
           "  NIMBRELL_UPDATE_HOST\n"
           "                   as the options above\n"
           "  XDG_CONFIG_HOME  the settings folder CONFIG is $XDG_CONFIG_HOME/nimbrell/ (default\n"
           "                   $HOME/.config/nimbrell/); it also holds autostart/\n"
           "  XDG_CACHE_HOME   the data directory DATA is $XDG_CACHE_HOME/nimbrell/ (default\n"
           "                   $HOME/.cache/nimbrell/)\n"
           "  HOME             the home those defaults lie in (the account's home when unset)\n"
           "  XDG_RUNTIME_DIR  when the home cannot hold a folder: $XDG_RUNTIME_DIR/nimbrell/,\n"
           "                   else /tmp/nimbrell-<uid>/. The program names both folders at start.\n"
           "                   The lock of the running widget lies there too: one widget runs per\n"
           "                   settings folder, and a second start shows it again and ends\n"
           "  TEMP             a historyLog.ini an earlier build kept in $TEMP/NimbrellWeather/ (or\n"
           "                   $XDG_CACHE_HOME/NimbrellWeather/) is moved into CONFIG at first start\n"
           "  DISPLAY, WAYLAND_DISPLAY\n"
           "                   the desktop; without either the program runs headless, and one\n"
           "                   that cannot be opened is an error (status 1)\n"
           "  GDK_SCALE        the screen's density (2: twice the pixels each way); frames are\n"
           "                   drawn at it, also with --render\n"
           "\n"
           "Files:\n"
           "  CONFIG/historyLog.ini the settings and the widget's position\n"
           "  DATA/Nimbrell.db     the city and picture database, written out at each start\n"
           "  DATA/keptForecast.txt the last forecast, shown until a new one arrives\n"
           "  DATA/fonts/          the program's own faces\n"
           "  "
        + AutorunEntryPath()
        + "\n"
          "                       the autostart entry the settings window writes; it runs\n"
          "                       "
        + (program.empty() ? std::string("this program") : program) + "\n";
}

std::string VersionText()
{
    return "nimbrell " NIMBRELL_VERSION " (build " + std::to_string(kThisBuildStamp) + ")\n";
}

}
