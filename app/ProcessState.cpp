// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProcessState.h"

#include "data/FileWriting.h"
#include "data/UserFolders.h"
#include "weather/KeptForecast.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrell {

namespace {

constexpr const char* kFolderName = "nimbrell/";
constexpr const char* kEarlierFolderName = "NimbrellWeather/";
constexpr const char* kSettingsFileName = "historyLog.ini";
// Far above any settings file or kept forecast the program writes.
constexpr std::size_t kMaxMovedFileBytes = 1 << 20;

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string folderIn(std::string base, const char* name)
{
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/" + name;
}

// $variable, else the home's folder of that name; empty without either.
std::string userBase(const char* name, const char* inHome)
{
    if (auto base = variable(name); !base.empty())
        return base;
    if (auto home = HomeDirectory(); !home.empty())
        return home + "/" + inHome;
    return {};
}

// For an account whose home is missing or read-only: private to the user,
// though gone after a reboot.
std::vector<std::string> runtimeCandidates()
{
    std::vector<std::string> candidates;
    if (auto runtime = variable("XDG_RUNTIME_DIR"); !runtime.empty())
        candidates.push_back(folderIn(runtime, kFolderName));
    candidates.push_back("/tmp/nimbrell-" + std::to_string(geteuid()) + "/");
    return candidates;
}

std::vector<std::string> candidatesIn(const std::string& base)
{
    std::vector<std::string> candidates;
    if (!base.empty())
        candidates.push_back(folderIn(base, kFolderName));
    for (auto& candidate : runtimeCandidates())
        candidates.push_back(std::move(candidate));
    return candidates;
}

std::string firstPrivate(const std::vector<std::string>& candidates)
{
    for (const auto& candidate : candidates) {
        if (PreparePrivateFolder(candidate) == FolderCheck::Ready)
            return candidate;
    }
    return candidates.front();
}

}

ProcessState& State()
{
    static ProcessState state;
    return state;
}

std::vector<std::string> ConfigDirectoryCandidates()
{
    return candidatesIn(userBase("XDG_CONFIG_HOME", ".config"));
}

std::vector<std::string> DataDirectoryCandidates()
{
    return candidatesIn(userBase("XDG_CACHE_HOME", ".cache"));
}

std::string ConfigDirectoryFromEnvironment()
{
    return firstPrivate(ConfigDirectoryCandidates());
}

std::string DataDirectoryFromEnvironment()
{
    return firstPrivate(DataDirectoryCandidates());
}

std::vector<std::string> RuntimeDirectories()
{
    std::vector<std::string> ready;
    for (const auto& candidate : runtimeCandidates()) {
        if (PreparePrivateFolder(candidate) == FolderCheck::Ready)
            ready.push_back(candidate);
    }
    return ready;
}

std::vector<std::string> EarlierDataDirectories()
{
    std::vector<std::string> folders;
    if (auto temp = variable("TEMP"); !temp.empty())
        folders.push_back(folderIn(temp, kEarlierFolderName));
    if (auto cache = userBase("XDG_CACHE_HOME", ".cache"); !cache.empty())
        folders.push_back(folderIn(cache, kEarlierFolderName));
    return folders;
}

std::vector<std::string> MoveEarlierSettings(const std::string& configDirectory, const std::string& dataDirectory)
{
    std::vector<std::string> moved;
    std::string settings = configDirectory + kSettingsFileName;
    struct stat info;
    if (lstat(settings.c_str(), &info) == 0)
        return moved;
    for (const auto& earlier : EarlierDataDirectories()) {
        std::string from = earlier + kSettingsFileName;
        if (!MoveOwnFile(from, settings, kMaxMovedFileBytes))
            continue;
        moved.push_back(from + " -> " + settings);
        // The forecast kept beside it is the user's last known weather.
        std::string keptFrom = KeptForecastFile(earlier), keptTo = KeptForecastFile(dataDirectory);
        if (MoveOwnFile(keptFrom, keptTo, kMaxMovedFileBytes))
            moved.push_back(keptFrom + " -> " + keptTo);
        break;
    }
    return moved;
}

}
