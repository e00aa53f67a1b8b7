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
