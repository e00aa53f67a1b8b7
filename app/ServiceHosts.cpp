#include "app/ServiceHosts.h"

#include <cstdlib>
#include <string_view>

namespace nimbrell {

CommandLine ParseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    auto fromEnvironment = [](const char* name, std::string& target) {
        const char* value = std::getenv(name);
        if (value && *value)
            target = value;
    };
    fromEnvironment("NIMBRELL_WEATHER_HOST", line.hosts.weather);
    fromEnvironment("NIMBRELL_UPDATE_HOST", line.hosts.update);

    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--demo") {
            line.demo = true;
            continue;
        }
        std::string* target = nullptr;
        std::string_view option;
        for (auto [name, field] : { std::pair { std::string_view("--weather-host"), &line.hosts.weather },
                 { "--update-host", &line.hosts.update }, { "--render", &line.render } }) {
            if (argument == name || argument.starts_with(std::string(name) + "=")) {
                target = field;
                option = name;
            }
        }
        if (!target) {
            line.errors.push_back("unknown option " + std::string(argument));
            continue;
        }
        if (argument.size() > option.size()) {
            *target = std::string(argument.substr(option.size() + 1));
        } else if (i + 1 < argc) {
            *target = argv[++i];
        } else {
            line.errors.push_back("missing value for " + std::string(option));
            continue;
        }
        if (target->empty())
            line.errors.push_back("empty value for " + std::string(option));
    }
    return line;
}

}
