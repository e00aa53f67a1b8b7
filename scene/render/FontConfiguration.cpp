#include "scene/render/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <stdexcept>

namespace nimbrell {

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
        FcConfigSetCurrent(config);
        FcConfigDestroy(config);
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
