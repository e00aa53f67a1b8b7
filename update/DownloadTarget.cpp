// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/DownloadTarget.h"

#include "data/Autorun.h"
#include "data/UserFolders.h"
#include "base/Text.h"
#include "base/Utf.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrell {

namespace {

// A folder this user owns and may write: never another user's, root's
// included, where a build placed for us would be theirs to run or swap.
bool isOwnWritableFolder(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
        && access(path.c_str(), W_OK | X_OK) == 0;
}

std::string withoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The quoted value of a user-dirs.dirs line, backslash escapes undone.
std::string unquote(std::string_view value)
{
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return {};
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        out += value[i];
    }
    return out;
}

// C1 controls, line and paragraph separators, and the format characters
// (bidirectional overrides and isolates among them) that make a shown name
// read differently from the file it names.
bool isInvisibleOrControl(char32_t c)
{
    struct Range {
        char32_t first, last;
    };
    static constexpr Range refused[] = {
        { 0x80, 0x9F },
        { 0xAD, 0xAD },
        { 0x600, 0x605 },
        { 0x61C, 0x61C },
        { 0x6DD, 0x6DD },
        { 0x70F, 0x70F },
        { 0x890, 0x891 },
        { 0x8E2, 0x8E2 },
        { 0x180E, 0x180E },
        { 0x200B, 0x200F },
        { 0x2028, 0x202E },
        { 0x2060, 0x2064 },
        { 0x2066, 0x206F },
        { 0xFEFF, 0xFEFF },
        { 0xFFF9, 0xFFFB },
        { 0x110BD, 0x110BD },
        { 0x110CD, 0x110CD },
        { 0x13430, 0x1343F },
        { 0x1BCA0, 0x1BCA3 },
        { 0x1D173, 0x1D17A },
        { 0xE0001, 0xE0001 },
        { 0xE0020, 0xE007F },
    };
    for (const auto& range : refused) {
        if (c >= range.first && c <= range.last)
            return true;
    }
    return false;
}

}

bool IsPlainFileName(std::string_view name)
{
    // A leading dot hides the file and names the shell's and the session's own files.
    if (name.empty() || name.size() > 255 || name.front() == '.')
        return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    if (SanitizeUtf8(name) != name)
        return false;
    for (std::size_t at = 0; at < name.size();) {
        Utf8Char decoded = DecodeUtf8Char(reinterpret_cast<const unsigned char*>(name.data()) + at, name.size() - at);
        if (isInvisibleOrControl(decoded.codePoint))
            return false;
        at += decoded.length;
    }
    return true;
}

bool MayReceive(const DownloadFolder& folder, std::string_view name)
{
    return IsPlainFileName(name) && name != folder.programName;
}

std::string ReadUserDownloadDirectory(std::string_view userDirsFile, const std::string& home)
{
    std::istringstream lines { std::string(userDirsFile) };
    std::string line;
    while (std::getline(lines, line)) {
        std::string_view rest = line;
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        constexpr std::string_view key = "XDG_DOWNLOAD_DIR=";
        if (rest.substr(0, key.size()) != key)
            continue;
        rest.remove_prefix(key.size());
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
            rest.remove_suffix(1);
        std::string value = unquote(rest);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
            value = home + value.substr(5);
        else if (value.empty() || value.front() != '/')
            return {};
        value = withoutTrailingSeparators(value);
        if (value == withoutTrailingSeparators(home))
            return {};
        return value;
    }
    return {};
}

DownloadFolder ChooseDownloadFolder(const DownloadFolderSources& sources)
{
    if (!sources.programPath.empty()) {
        std::filesystem::path program(sources.programPath);
        std::string directory = withoutTrailingSeparators(program.parent_path().string());
        if (isOwnWritableFolder(directory))
            return { directory, true, program.filename().string() };
    }

    std::string configHome = sources.xdgConfigHome.empty() ? sources.home + "/.config" : sources.xdgConfigHome;
    std::string folder = ReadUserDownloadDirectory(readWholeFile(configHome + "/user-dirs.dirs"), sources.home);
    if (folder.empty())
        folder = withoutTrailingSeparators(sources.home) + "/Downloads";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return { folder, false };
}

DownloadFolderSources DownloadFolderSourcesFromEnvironment()
{
    DownloadFolderSources sources;
    sources.programPath = ProgramPath();
    sources.home = HomeDirectory();
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && *configHome == '/')
        sources.xdgConfigHome = configHome;
    return sources;
}

}
