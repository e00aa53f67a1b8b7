// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

#include <unistd.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace nimbrell {

namespace {

std::mutex fontFilesLock;
std::vector<std::string> fontFiles;
bool loaded = false;

}

bool AddProgramFontFile(const std::string& path)
{
    std::lock_guard lock(fontFilesLock);
    if (loaded)
        return FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(path.c_str()));
    if (access(path.c_str(), R_OK) != 0)
        return false;
    fontFiles.push_back(path);
    return true;
}

void LoadFontConfiguration()
{
    static std::once_flag once;
    std::call_once(once, [] {
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (!config)
            throw std::runtime_error("fontconfig: cannot load the system configuration");
        if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(FontConfigurationText()), FcTrue)) {
            FcConfigDestroy(config);
            throw std::runtime_error("fontconfig: cannot load the program's font configuration");
        }
        std::lock_guard lock(fontFilesLock);
        // A file fontconfig cannot read leaves its text to the installed families.
        for (const std::string& path : fontFiles)
            FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(path.c_str()));
        FcConfigSetCurrent(config);
        FcConfigDestroy(config);
        loaded = true;
    });
}

}

#if defined(__SANITIZE_ADDRESS__)
#define NIMBRELL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NIMBRELL_ASAN 1
#endif
#endif

#ifdef NIMBRELL_ASAN
// fontconfig keeps allocations for the life of the process that it never frees (even a
// bare FcInit leaves some); they are not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
