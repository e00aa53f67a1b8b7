#pragma once

// The process-wide state the main window's start-up prepares. It lives until the
// process ends; the UI thread owns it. Workers get what they need as copies.

#include "app/ServiceHosts.h"
#include "data/CityDatabase.h"
#include "data/SettingsFile.h"
#include "update/UpdateThread.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nimbrell {

inline constexpr const char* kApplicationTitle = "Nimbrell - 桌面天气预报";
inline constexpr const char* kSettingsSection = "CONFIG";
// This build's stamp: year, month, day, hour and minute.
inline constexpr std::int64_t kThisBuildStamp = 201108181030;

struct ProcessState {
    std::string DataDirectory;
    std::unique_ptr<SettingsFile> Settings;
    std::unique_ptr<CityDatabase> Database;
    std::string CityCode { "101010100" };
    std::string ShowMoreMode { "0" };
    std::int64_t BuildStamp { 0 }; // the running build's stamp, set by the start-up
    // Shared with the update-check worker, which may outlive the main window.
    std::shared_ptr<UpdateOfferSlot> Offer { std::make_shared<UpdateOfferSlot>() };
    ServiceHosts Hosts;
};

ProcessState& State();

// TEMP when set and not empty, else the cache folder below; then
// "/NimbrellWeather/". Always ends with a slash.
std::string DataDirectoryFromEnvironment();
// $XDG_CACHE_HOME, else $HOME/.cache; then "/NimbrellWeather/".
std::string CacheDataDirectory();

}
