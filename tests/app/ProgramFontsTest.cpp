// SPDX-License-Identifier: GPL-3.0-or-later
// The program's cut faces: written to the data folder once, offered before the
// installed families, with the installed families behind them for other text.
// Its own binary: the font configuration is loaded once per process.
#include "app/ProgramFonts.h"
#include "platform/Resources.h"
#include "scene/render/FontConfiguration.h"
#include "tests/support/TempDirectory.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;

namespace {

struct Resolved {
    std::string file;
    std::string family;
};

// What fontconfig gives text in `family` at `weight`: the best face, and the
// family of the first face in the fallback order that has `character`.
std::pair<Resolved, Resolved> Resolve(const char* family, int weight, FcChar32 character)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    std::pair<Resolved, Resolved> resolved;
    auto describe = [](FcPattern* font) {
        FcChar8* file = nullptr;
        FcChar8* name = nullptr;
        FcPatternGetString(font, FC_FILE, 0, &file);
        FcPatternGetString(font, FC_FAMILY, 0, &name);
        return Resolved { file ? reinterpret_cast<char*>(file) : "", name ? reinterpret_cast<char*>(name) : "" };
    };
    if (sorted && sorted->nfont > 0) {
        resolved.first = describe(sorted->fonts[0]);
        for (int i = 0; i < sorted->nfont; ++i) {
            FcCharSet* characters = nullptr;
            if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch && FcCharSetHasChar(characters, character)) {
                resolved.second = describe(sorted->fonts[i]);
                break;
            }
        }
    }
    if (sorted)
        FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return resolved;
}

ino_t Inode(const std::string& path)
{
    struct stat info { };
    stat(path.c_str(), &info);
    return info.st_ino;
}

}

TEST(ProgramFonts, AreWrittenOnceAndComeBeforeTheInstalledFamilies)
{
    TempDirectory temp;
    std::string data = temp / "NimbrellWeather/";
    InstallProgramFonts(data);
    for (const char* face : { "NimbrellSans-Regular", "NimbrellSans-Bold", "NimbrellSansMono-Regular", "NimbrellSansMono-Bold" }) {
        auto resource = platform::FindResource(face, "font");
        ASSERT_TRUE(resource) << face;
        std::string path = data + "fonts/" + face + ".otf";
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
        EXPECT_EQ(std::filesystem::file_size(path), resource->size());
        EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }

    // A face in place is kept; a damaged one is written again.
    std::string regular = data + "fonts/NimbrellSans-Regular.otf";
    std::string bold = data + "fonts/NimbrellSans-Bold.otf";
    ino_t kept = Inode(regular);
    std::filesystem::resize_file(bold, 100);
    InstallProgramFonts(data);
    EXPECT_EQ(Inode(regular), kept);
    EXPECT_EQ(std::filesystem::file_size(bold), platform::FindResource("NimbrellSans-Bold", "font")->size());

    LoadFontConfiguration();
    // 龘 is in no text of the program, so not in its faces.
    const FcChar32 rare = 0x9F98;
    struct Case {
        const char* family;
        int weight;
        std::string face;
        const char* fallback;
    } cases[] = {
        { "Tahoma", FC_WEIGHT_REGULAR, regular, "Noto Sans CJK SC" },
        { "Tahoma", FC_WEIGHT_BOLD, bold, "Noto Sans CJK SC" },
        { "Franklin Gothic", FC_WEIGHT_BOLD, bold, "Noto Sans CJK SC" },
        { "Fixedsys", FC_WEIGHT_REGULAR, data + "fonts/NimbrellSansMono-Regular.otf", "Noto Sans Mono CJK SC" },
        { "Fixedsys", FC_WEIGHT_BOLD, data + "fonts/NimbrellSansMono-Bold.otf", "Noto Sans Mono CJK SC" },
    };
    for (const auto& c : cases) {
        auto [best, fallback] = Resolve(c.family, c.weight, rare);
        EXPECT_EQ(best.file, c.face) << c.family << " " << c.weight;
        EXPECT_EQ(fallback.family, c.fallback) << c.family << " " << c.weight;
    }
}
