#include "data/Autorun.h"

#include "data/FileWriting.h"
#include "data/UserFolders.h"

#include <cstdlib>
#include <string_view>
#include <filesystem>
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

// The Exec key splits its value at blanks, so a path with any reserved
// character is quoted, with the characters that quoting does not cover escaped.
std::string execArgument(const std::string& path)
{
    if (path.find_first_of(" \t\n\"'\\><~|&;$*?#()`%=") == std::string::npos)
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

}

std::string AutorunEntryPath()
{
    return configHome() + "/autostart/NimbrellWeather.desktop";
}

bool SetRunValue(const std::string& programPath)
{
    std::string path = AutorunEntryPath();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::string exec = execArgument(programPath);
    // Escapes in a desktop entry's string values are themselves escaped once more.
    std::string escaped;
    for (char c : exec) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    std::string content = "[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=NimbrellWeather\n"
                          "Comment=Nimbrell - 桌面天气预报\n"
                          "Exec="
        + escaped + "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
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
