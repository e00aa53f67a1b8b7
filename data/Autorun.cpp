// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Autorun.h"

#include "data/FileWriting.h"
#include "data/UserFolders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace nimbrell {

namespace {

std::string configHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return config;
    return HomeDirectory() + "/.config";
}

bool isControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// The Exec key splits its value at blanks, so a path with any reserved
// character is quoted, with the characters that quoting does not cover escaped.
std::string execArgument(const std::string& path)
{
    bool plain = path.find_first_of(" \"'\\><~|&;$*?#()`%=") == std::string::npos
        && std::none_of(path.begin(), path.end(), isControl);
    if (plain)
        return path;
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

// A string value of a desktop entry escapes backslashes and the line-breaking
// characters; other control characters have no escape there.
std::optional<std::string> entryString(const std::string& value)
{
    std::string escaped;
    for (char c : value) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default:
            if (isControl(c))
                return std::nullopt;
            escaped += c;
        }
    }
    return escaped;
}

}

std::string AutorunEntryPath()
{
    return configHome() + "/autostart/NimbrellWeather.desktop";
}

bool SetRunValue(const std::string& programPath)
{
    // The kernel marks a program whose file was replaced or removed; that name runs nothing.
    if (programPath.empty() || programPath.ends_with(" (deleted)"))
        return false;
    std::optional<std::string> exec = entryString(execArgument(programPath));
    std::optional<std::string> tryExec = entryString(programPath);
    if (!exec || !tryExec)
        return false;
    std::string path = AutorunEntryPath();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::string content = "[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=NimbrellWeather\n"
                          "Comment=Nimbrell - 桌面天气预报\n"
                          "Exec="
        + *exec
        // Once the program is gone (its package removed) the session skips the
        // entry instead of failing to start it; the entry stays the user's.
        + "\nTryExec=" + *tryExec + "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    try {
        WriteFileAtomically(path, content);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void DeleteRunValue()
{
    unlink(AutorunEntryPath().c_str());
}

std::string ProgramPath()
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : ProgramPathFrom(path.string());
}

std::string ProgramPathFrom(const std::string& kernelPath)
{
    constexpr std::string_view deleted = " (deleted)";
    if (!kernelPath.ends_with(deleted) || std::filesystem::is_regular_file(kernelPath))
        return kernelPath;
    std::string replacement = kernelPath.substr(0, kernelPath.size() - deleted.size());
    if (std::filesystem::is_regular_file(replacement) && access(replacement.c_str(), X_OK) == 0)
        return replacement;
    return {};
}

}
