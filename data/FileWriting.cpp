// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FileWriting.h"

#include "base/Text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace nimbrell {

bool WriteAll(int fd, std::string_view content)
{
    // At most 64 KB a write: the page cache then holds the file in pieces no
    // larger, and a later mapping of it (the program's faces, which FreeType
    // and HarfBuzz each map) maps the pieces read instead of whole large folios.
    constexpr std::size_t piece = 64 * 1024;
    while (!content.empty()) {
        ssize_t written = write(fd, content.data(), std::min(content.size(), piece));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void WriteFileAtomically(const std::string& path, std::string_view content, FileAccess access)
{
    std::string scratch = path + ".XXXXXX";
    int fd = mkstemp(scratch.data()); // 0600
    if (fd < 0)
        throw std::runtime_error(Format("Cannot create file %s", FullFileName(path).c_str()));
    bool written = (access == FileAccess::Private || fchmod(fd, 0644) == 0) && WriteAll(fd, content) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(scratch.c_str(), path.c_str()) != 0) {
        unlink(scratch.c_str());
        throw std::runtime_error(Format("Cannot create file %s", FullFileName(path).c_str()));
    }
}

void RemoveLeftScratchFiles(const std::vector<std::string>& paths)
{
    for (const auto& path : paths) {
        std::filesystem::path file(path);
        std::string prefix = file.filename().string() + ".";
        DIR* directory = opendir(file.parent_path().empty() ? "." : file.parent_path().c_str());
        if (!directory)
            continue;
        while (dirent* entry = readdir(directory)) {
            std::string_view name = entry->d_name;
            if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
                continue;
            std::string_view tail = name.substr(prefix.size());
            if (!std::all_of(tail.begin(), tail.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
                continue;
            struct stat info;
            if (fstatat(dirfd(directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
                && info.st_uid == geteuid())
                unlinkat(dirfd(directory), entry->d_name, 0);
        }
        closedir(directory);
    }
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxSize)
{
    // O_NONBLOCK keeps a planted pipe from blocking the open.
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> content;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= maxSize) {
        content.emplace();
        char buffer[16384];
        for (;;) {
            ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || content->size() + static_cast<std::size_t>(got) > maxSize) {
                content.reset();
                break;
            }
            if (got == 0)
                break;
            content->append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(fd);
    return content;
}

FolderCheck PreparePrivateFolder(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), error);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return FolderCheck::Failed;
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0)
        return FolderCheck::Failed;
    if (S_ISLNK(info.st_mode))
        return FolderCheck::Untrusted;
    if (!S_ISDIR(info.st_mode))
        return FolderCheck::Failed;
    if (info.st_uid != geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return FolderCheck::Untrusted;
    if ((info.st_mode & 0077) != 0 && chmod(folder.c_str(), info.st_mode & 0700) != 0)
        return FolderCheck::Untrusted;
    // A read-only home holds the folder but not our files.
    return access(folder.c_str(), W_OK | X_OK) == 0 ? FolderCheck::Ready : FolderCheck::Failed;
}

bool MoveOwnFile(const std::string& from, const std::string& to, std::size_t maxSize)
{
    struct stat info;
    if (lstat(to.c_str(), &info) == 0)
        return false;
    std::string folder = std::filesystem::path(from).parent_path().string();
    if (lstat(folder.empty() ? "." : folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()
        || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return false;
    if (lstat(from.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
        return false;
    // A new link never replaces a file that appeared at `to` meanwhile.
    if (link(from.c_str(), to.c_str()) == 0) {
        if (unlink(from.c_str()) == 0) {
            // The user's alone in its new place too.
            chmod(to.c_str(), 0600);
            return true;
        }
        // Not moved after all: the old place keeps the only name.
        unlink(to.c_str());
        return false;
    }
    if (errno == EEXIST)
        return false;
    auto content = ReadRegularFile(from, maxSize);
    if (!content)
        return false;
    try {
        WriteFileAtomically(to, *content);
    } catch (const std::runtime_error&) {
        return false;
    }
    unlink(from.c_str());
    return true;
}

std::string FullFileName(const std::string& path)
{
    std::error_code error;
    auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}
