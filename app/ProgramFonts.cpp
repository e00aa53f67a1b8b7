// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramFonts.h"

#include "data/FileWriting.h"
#include "platform/Resources.h"
#include "scene/render/FontConfiguration.h"

#include <sys/stat.h>

#include <exception>
#include <string_view>

namespace nimbrell {

void InstallProgramFonts(const std::string& dataDirectory)
{
    std::string folder = dataDirectory + "fonts/";
    if (PreparePrivateFolder(folder) != FolderCheck::Ready)
        return;
    for (const auto& face : platform::ResourcesOfType("font")) {
        std::string path = folder + face.name + ".otf";
        struct stat info;
        bool current = lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) == face.size;
        if (!current) {
            try {
                WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(face.data), face.size));
            } catch (const std::exception&) {
                continue;
            }
        }
        AddProgramFontFile(path);
    }
}

}
