#include "app/ProcessState.h"

#include <cstdlib>

namespace nimbrell {

ProcessState& State()
{
    static ProcessState state;
    return state;
}

std::string DataDirectoryFromEnvironment()
{
    auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    // The per-user temporary folder this stands for survives reboots; /tmp does not.
    std::string base = variable("TEMP");
    if (base.empty())
        base = variable("XDG_CACHE_HOME");
    if (base.empty())
        base = variable("HOME") + "/.cache";
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/NimbrellWeather/";
}

}
