#include "app/ProgramFonts.h"

#include "data/FileWriting.h"
#include "platform/Resources.h"
#include "scene/render/FontConfiguration.h"

#include <sys/stat.h>

#include <array>
#include <exception>
#include <string_view>

namespace nimbrell {

namespace {

constexpr std::array<const char*, 4> kProgramFaces { "NimbrellSans-Regular", "NimbrellSans-Bold", "NimbrellSansMono-Regular", "NimbrellSansMono-Bold" };

}

void InstallProgramFonts(const std::string& dataDirectory)
{
    std::string folder = dataDirectory + "fonts/";
    if (PreparePrivateFolder(folder) != FolderCheck::Ready)
        return;
    for (const char* face : kProgramFaces) {
        auto resource = platform::FindResource(face, "font");
        if (!resource)
            continue;
        std::string path = folder + face + ".otf";
        struct stat info;
        bool current = lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) == resource->size();
        if (!current) {
            try {
                WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(resource->data()), resource->size()));
            } catch (const std::exception&) {
                continue;
            }
        }
        AddProgramFontFile(path);
    }
}

}
