// SPDX-License-Identifier: GPL-3.0-or-later
// `cmake --install` of this build tree into a scratch root, as a packager or a
// user with a prefix of their own runs it, and the installed program run from there.
#include "app/CommandLine.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <regex>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::RunChild;
using nimbrell::testing::TempDirectory;
namespace fs = std::filesystem;

namespace {

// A prefix with spaces, as some users choose.
const std::string Prefix = "/opt/Nimbrell Weather";

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    auto word = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
    return { word(16), word(20) };
}

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = new TempDirectory;
        install = RunChild({ NIMBRELL_CMAKE, "--install", NIMBRELL_BUILD_DIR, "--prefix", Prefix }, { { "DESTDIR", root->Path().string() } });
    }
    static void TearDownTestSuite()
    {
        delete root;
        root = nullptr;
    }
    void SetUp() override { ASSERT_EQ(install.status, 0) << install.err; }

    static fs::path installed(const std::string& relative) { return root->Path().string() + Prefix + "/" + relative; }

    static inline TempDirectory* root = nullptr;
    static inline nimbrell::testing::ChildResult install;
};

}

TEST_F(InstalledTree, HoldsTheProgramsTheMenuEntryTheMetadataAndTheManualPages)
{
    for (const char* program : { "bin/nimbrell", "bin/nimbrell-scene" }) {
        auto status = fs::status(installed(program));
        EXPECT_TRUE(fs::is_regular_file(status)) << program;
        EXPECT_NE(status.permissions() & fs::perms::others_exec, fs::perms::none) << program;
    }
    for (const char* file : { "share/applications/org.nimbrell.nimbrell.desktop", "share/metainfo/org.nimbrell.nimbrell.metainfo.xml",
             "share/man/man1/nimbrell.1.gz", "share/man/man1/nimbrell-scene.1.gz", "share/doc/nimbrell/copyright",
             "share/doc/nimbrell/changelog.gz", "share/icons/hicolor/scalable/apps/nimbrell.svg" })
        EXPECT_TRUE(fs::is_regular_file(installed(file))) << file;
    EXPECT_FALSE(fs::exists(root->Path() / "usr")) << "nothing lands outside the prefix";
}

TEST_F(InstalledTree, CopyrightNamesTheProgramsLicenceAndTheFacesOwnNotices)
{
    std::string text = ReadFile(installed("share/doc/nimbrell/copyright"));
    EXPECT_TRUE(text.starts_with("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")) << text;
    for (const char* part : { "\nFiles: *\nCopyright: 2026 The Nimbrell developers\nLicense: GPL-3.0-or-later\n",
             "\nLicense: GPL-3.0-or-later\n This program is free software", "/usr/share/common-licenses/GPL-3",
             "\nLicense: OFL-1.1\n -----", "Open-Meteo.com", "CC BY 4.0" })
        EXPECT_NE(text.find(part), std::string::npos) << part;
    // The faces' notices come from their name tables, placeholders filled.
    EXPECT_NE(text.find("\nCopyright: © "), std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("Noto is a trademark"), std::string::npos);
    EXPECT_EQ(text.find("@NIMBRELL_"), std::string::npos);
}

TEST_F(InstalledTree, HasTheIconAtEveryRenderedSizeInItsSizeFolder)
{
    int sizes = 0;
    for (const auto& source : fs::directory_iterator(NIMBRELL_SOURCE_DIR "/resources/art/icon")) {
        std::smatch match;
        std::string name = source.path().filename().string();
        if (!std::regex_match(name, match, std::regex("nimbrell-([0-9]+)\\.png")))
            continue;
        int size = std::stoi(match[1]);
        auto icon = installed("share/icons/hicolor/" + match[1].str() + "x" + match[1].str() + "/apps/nimbrell.png");
        ASSERT_TRUE(fs::is_regular_file(icon)) << icon;
        EXPECT_EQ(pngSize(icon), std::pair(size, size)) << icon;
        ++sizes;
    }
    EXPECT_GE(sizes, 5);
}

TEST_F(InstalledTree, MenuEntryRunsTheInstalledProgramAndValidates)
{
    auto entry = installed("share/applications/org.nimbrell.nimbrell.desktop");
    auto validation = RunChild({ "desktop-file-validate", entry });
    EXPECT_EQ(validation.status, 0) << validation.out << validation.err;
    EXPECT_TRUE(validation.out.empty()) << "no warnings either: " << validation.out;

    std::string text = ReadFile(entry);
    EXPECT_NE(text.find("\nExec=\"" + Prefix + "/bin/nimbrell\"\n"), std::string::npos) << text;
    for (const char* line : { "\nIcon=nimbrell\n", "\nStartupNotify=false\n", "\nStartupWMClass=Nimbrell\n", "\nComment=", "\nComment[zh_CN]=", "\nCategories=Utility;" })
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(InstalledTree, MetadataValidatesAndLaunchesTheMenuEntry)
{
    auto metainfo = installed("share/metainfo/org.nimbrell.nimbrell.metainfo.xml");
    auto validation = RunChild({ "appstreamcli", "validate", "--pedantic", "--no-net", metainfo });
    EXPECT_EQ(validation.status, 0) << validation.out << validation.err;
    EXPECT_EQ(("\n" + validation.out).find("\nP: "), std::string::npos) << "not even a pedantic remark: " << validation.out;
    std::string text = ReadFile(metainfo);
    EXPECT_NE(text.find("<id>org.nimbrell.nimbrell</id>"), std::string::npos) << "the menu entry's name";
    EXPECT_NE(text.find("<launchable type=\"desktop-id\">org.nimbrell.nimbrell.desktop</launchable>"), std::string::npos);
    EXPECT_NE(text.find("<project_license>GPL-3.0-or-later</project_license>"), std::string::npos);
    EXPECT_NE(text.find("<release version=\"" NIMBRELL_VERSION "\""), std::string::npos) << "the project's version";
}

TEST_F(InstalledTree, ManualPageRendersEveryOptionAndVariable)
{
    auto page = RunChild({ "man", "-l", installed("share/man/man1/nimbrell.1.gz") },
        { { "MANWIDTH", "100" }, { "MANPAGER", "cat" }, { "PAGER", "cat" }, { "LC_ALL", "C.UTF-8" } });
    ASSERT_EQ(page.status, 0) << page.err;
    EXPECT_TRUE(page.err.empty()) << page.err;
    // man renders hyphens in option names as U+2010 in UTF-8 locales.
    std::string text = std::regex_replace(page.out, std::regex("\xe2\x80\x90"), "-");
    for (const char* section : { "OPTIONS", "ENVIRONMENT", "FILES", "EXIT STATUS", "historyLog.ini" })
        EXPECT_NE(text.find(section), std::string::npos) << section;
    for (const auto& option : KnownOptions()) {
        EXPECT_NE(text.find(option.name), std::string::npos) << option.name;
        if (!option.environment.empty()) {
            EXPECT_NE(text.find(option.environment), std::string::npos) << option.environment;
        }
    }
}

TEST_F(InstalledTree, InstalledProgramRunsAndNamesItselfForAutostart)
{
    auto program = installed("bin/nimbrell").string();
    auto version = RunChild({ program, "--version" });
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("nimbrell " NIMBRELL_VERSION " (build ", 0), 0u) << version.out;

    // The autostart entry runs whichever program file writes it.
    auto help = RunChild({ program, "--help" });
    EXPECT_NE(help.out.find(" " + program + "\n"), std::string::npos) << help.out;
    auto fromBuild = RunChild({ NIMBRELL_BINARY, "--help" });
    EXPECT_NE(fromBuild.out.find(" " + fs::canonical(NIMBRELL_BINARY).string() + "\n"), std::string::npos) << fromBuild.out;
}

TEST(Install, UnwritableDestinationFailsWithAClearMessage)
{
    TempDirectory scratch;
    nimbrell::testing::WriteFile(scratch / "file", "a file where the root should be");
    auto run = RunChild({ NIMBRELL_CMAKE, "--install", NIMBRELL_BUILD_DIR }, { { "DESTDIR", scratch / "file" } });
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("Cannot install into \"" + (scratch / "file")), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Installing:"), std::string::npos) << "nothing is copied first: " << run.out;
}

TEST(Install, MenuEntryQuotesAndEscapesTheProgramPathForAnyPrefix)
{
    const std::pair<std::string, std::string> cases[] = {
        { "/usr", "Exec=/usr/bin/nimbrell" },
        { "/opt/a \"b\" $c %d`e", R"(Exec="/opt/a \\"b\\" \\$c %%d\\`e/bin/nimbrell")" },
        // Refused, each with its reason.
        { "/opt/tab\there", "control character" },
        { "/opt/back\\slash", "backslash" },
    };
    for (const auto& [prefix, expected] : cases) {
        TempDirectory root;
        auto run = RunChild({ NIMBRELL_CMAKE, "--install", NIMBRELL_BUILD_DIR, "--prefix", prefix }, { { "DESTDIR", root.Path().string() } });
        auto entry = root.Path().string() + prefix + "/share/applications/org.nimbrell.nimbrell.desktop";
        if (!expected.starts_with("Exec=")) {
            EXPECT_NE(run.status, 0);
            EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
            EXPECT_FALSE(fs::exists(root.Path() / "opt")) << "nothing is copied";
            continue;
        }
        ASSERT_EQ(run.status, 0) << prefix << run.err;
        EXPECT_NE(ReadFile(entry).find("\n" + expected + "\n"), std::string::npos) << ReadFile(entry);
        auto validation = RunChild({ "desktop-file-validate", entry });
        EXPECT_EQ(validation.status, 0) << prefix << validation.out;
    }
}
