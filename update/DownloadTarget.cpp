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
#include <unistd.h>

namespace nimbrell {

namespace {

bool isWritableFolder(const std::string& path)
{
    return !path.empty() && access(path.c_str(), W_OK | X_OK) == 0 && std::filesystem::is_directory(path);
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

}

bool IsPlainFileName(std::string_view name)
{
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return SanitizeUtf8(name) == name;
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
        if (isWritableFolder(directory))
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
