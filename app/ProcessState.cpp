#include "app/ProcessState.h"

#include <cstdlib>

namespace nimbrell {

ProcessState& State()
{
    static ProcessState state;
    return state;
}

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string dataDirectoryIn(std::string base)
{
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/NimbrellWeather/";
}

}

std::string DataDirectoryFromEnvironment()
{
    // The per-user temporary folder this stands for survives reboots; /tmp does not.
    std::string base = variable("TEMP");
    return base.empty() ? CacheDataDirectory() : dataDirectoryIn(base);
}

std::string CacheDataDirectory()
{
    std::string base = variable("XDG_CACHE_HOME");
    if (base.empty())
        base = variable("HOME") + "/.cache";
    return dataDirectoryIn(base);
}

}
