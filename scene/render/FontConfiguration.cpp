#include "scene/render/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

#include <future>
#include <mutex>
#include <stdexcept>

namespace nimbrell {

namespace {

void load()
{
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        throw std::runtime_error("fontconfig: cannot load the system configuration");
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(FontConfigurationText()), FcTrue)) {
        FcConfigDestroy(config);
        throw std::runtime_error("fontconfig: cannot load the program's font configuration");
    }
    FcConfigSetCurrent(config);
    FcConfigDestroy(config);
}

std::once_flag started;
std::shared_future<void> loaded;

}

void StartLoadingFontConfiguration()
{
    std::call_once(started, [] { loaded = std::async(std::launch::async, load).share(); });
}

void LoadFontConfiguration()
{
    StartLoadingFontConfiguration();
    loaded.get();
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
