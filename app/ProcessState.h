// SPDX-License-Identifier: GPL-3.0-or-later
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
    // The user's settings (historyLog.ini).
    std::string ConfigDirectory;
    // What can be fetched or made again: the kept forecast, the extracted
    // database and the program's fonts.
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

// Where the settings folder may be, most preferred first, each ending with a
// slash: "nimbrell/" in $XDG_CONFIG_HOME when it is set and not empty, else in
// the home's .config; then, for a home that is missing or read-only, in
// $XDG_RUNTIME_DIR, and /tmp/nimbrell-<uid>/.
std::vector<std::string> ConfigDirectoryCandidates();

// The same for the data directory, whose first choice is "nimbrell/" in
// $XDG_CACHE_HOME, else in the home's .cache; it shares the fall-backs.
std::vector<std::string> DataDirectoryCandidates();

// The first candidate that is or becomes a private folder of this user
// (PreparePrivateFolder); one that others could have planted or can change is
// passed over for the next. The first candidate when none will do.
std::string ConfigDirectoryFromEnvironment();
std::string DataDirectoryFromEnvironment();

// The fall-backs above that are or become private folders of this user, in
// that order: where what lasts only while the user is logged in is kept.
std::vector<std::string> RuntimeDirectories();

// Where earlier builds kept everything, settings included, most preferred
// first: "NimbrellWeather/" in $TEMP when it is set and not empty, in
// $XDG_CACHE_HOME when it is set and not empty, else in the home's .cache.
std::vector<std::string> EarlierDataDirectories();

// On the first start after an earlier build: moves its historyLog.ini into
// configDirectory and its kept forecast into dataDirectory, each only where
// none is yet, from the first earlier folder that holds a settings file of
// this user. The files moved, as "old path -> new path".
std::vector<std::string> MoveEarlierSettings(const std::string& configDirectory, const std::string& dataDirectory);

}
