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
#include <vector>

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

// Where the data directory may be, most preferred first, each ending with a
// slash: "NimbrellWeather/" in $TEMP when it is set and not empty; then in
// $XDG_CACHE_HOME, else in the home's .cache; then, for a home that is missing
// or read-only, in $XDG_RUNTIME_DIR, and /tmp/NimbrellWeather-<uid>/.
std::vector<std::string> DataDirectoryCandidates();

// The first candidate that is or becomes a private folder of this user
// (PreparePrivateFolder). A folder in $TEMP that cannot be created is the
// answer all the same, so that the failure is reported; one that others could
// have planted or can change is passed over for the next candidate. The first
// candidate when none will do.
std::string DataDirectoryFromEnvironment();

}
