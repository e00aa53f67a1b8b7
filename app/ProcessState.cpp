#include "app/ProcessState.h"

#include "data/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
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

// A folder the program may keep its files in: created when missing, a real
// folder (not a link) of this user that others cannot write to, and writable.
bool usableDirectory(const std::string& path)
{
    std::error_code ignored;
    // The parent may be missing too (a fresh ~/.cache).
    std::filesystem::create_directories(std::filesystem::path(path).parent_path().parent_path(), ignored);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid()
        && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 && access(path.c_str(), W_OK | X_OK) == 0;
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
    // A TEMP the user set is the only choice, and a failure to use it is reported.
    if (auto temp = variable("TEMP"); !temp.empty())
        return { dataDirectoryIn(temp) };
    std::vector<std::string> candidates;
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
    for (const auto& candidate : candidates) {
        if (usableDirectory(candidate))
            return candidate;
    }
    return candidates.front();
}

}
