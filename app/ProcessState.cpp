#include "app/ProcessState.h"

#include "data/FileWriting.h"
#include "data/UserFolders.h"

#include <cstdlib>
#include <unistd.h>

namespace nimbrell {

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

ProcessState& State()
{
    static ProcessState state;
    return state;
}

std::vector<std::string> DataDirectoryCandidates()
{
    // The per-user temporary folder TEMP stands for survives reboots; /tmp does not.
    std::vector<std::string> candidates;
    if (auto temp = variable("TEMP"); !temp.empty())
        candidates.push_back(dataDirectoryIn(temp));
    if (auto cache = variable("XDG_CACHE_HOME"); !cache.empty())
        candidates.push_back(dataDirectoryIn(cache));
    else if (auto home = HomeDirectory(); !home.empty())
        candidates.push_back(dataDirectoryIn(home + "/.cache"));
    // For an account whose home is missing or read-only: private to the user,
    // though gone after a reboot.
    if (auto runtime = variable("XDG_RUNTIME_DIR"); !runtime.empty())
        candidates.push_back(dataDirectoryIn(runtime));
    candidates.push_back("/tmp/NimbrellWeather-" + std::to_string(geteuid()) + "/");
    return candidates;
}

std::string DataDirectoryFromEnvironment()
{
    auto candidates = DataDirectoryCandidates();
    bool inTemp = !variable("TEMP").empty();
    for (const auto& candidate : candidates) {
        FolderCheck check = PreparePrivateFolder(candidate);
        if (check == FolderCheck::Ready || (check == FolderCheck::Failed && inTemp && candidate == candidates.front()))
            return candidate;
    }
    return candidates.front();
}

}
