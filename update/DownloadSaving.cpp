// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/DownloadSaving.h"

#include "base/Utf.h"
#include "data/FileWriting.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrell {

namespace {

constexpr int kMaxNumber = 999;
constexpr std::size_t kMaxNameBytes = 255;

using Reason = DownloadSaveError::Reason;

// Scratch files being written, removed when the process exits normally so a
// close in the middle of a download leaves none behind.
struct ScratchRegistry {
    std::mutex mutex;
    std::set<std::string> paths;
};

ScratchRegistry& scratchRegistry()
{
    // Never destroyed: the exit handler runs after static destructors may have.
    static auto* registry = new ScratchRegistry;
    return *registry;
}

void removeRegisteredScratch()
{
    auto& registry = scratchRegistry();
    std::lock_guard lock(registry.mutex);
    for (const auto& path : registry.paths)
        unlink(path.c_str());
}

void registerScratch(const std::string& path)
{
    static std::once_flag installed;
    std::call_once(installed, [] { std::atexit(removeRegisteredScratch); });
    auto& registry = scratchRegistry();
    std::lock_guard lock(registry.mutex);
    registry.paths.insert(path);
}

void forgetScratch(const std::string& path)
{
    auto& registry = scratchRegistry();
    std::lock_guard lock(registry.mutex);
    registry.paths.erase(path);
}

struct Descriptor {
    int fd { -1 };
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

Reason reasonOfCreate(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EIO ? Reason::WriteFailed : Reason::FolderNotWritable;
}

[[noreturn]] void fail(Reason reason, const std::string& folder, int error)
{
    throw DownloadSaveError(reason, "Cannot save into " + folder + ": " + std::strerror(error));
}

// A scratch file being written: unnamed where the file system allows it,
// else a short name of the program's own pattern (never longer for a longer
// offered name).
class ScratchFile {
public:
    ScratchFile(int folderFd, const std::string& folder)
        : m_folderFd(folderFd)
    {
        m_file.fd = openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
        if (m_file.fd >= 0)
            return;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            fail(reasonOfCreate(errno), folder, errno);
        m_path = folder + "/" + std::string(kDownloadScratchPrefix) + "XXXXXX";
        registerScratch(m_path);
        m_file.fd = mkostemp(m_path.data(), O_CLOEXEC);
        if (m_file.fd < 0) {
            int error = errno;
            forgetScratch(m_path);
            fail(reasonOfCreate(error), folder, error);
        }
        m_name = m_path.substr(folder.size() + 1);
        fchmod(m_file.fd, 0644);
    }
    ~ScratchFile()
    {
        if (m_path.empty())
            return;
        if (!m_linked)
            unlinkat(m_folderFd, m_name.c_str(), 0);
        forgetScratch(m_path);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int Fd() const { return m_file.fd; }

    // Gives the file `name` unless a file of that name exists; errno EEXIST then.
    bool LinkAs(const std::string& name)
    {
        if (m_path.empty()) {
            std::string self = "/proc/self/fd/" + std::to_string(m_file.fd);
            if (linkat(AT_FDCWD, self.c_str(), m_folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return true;
            // Without /proc only the descriptor itself can be linked.
            if (errno != ENOENT)
                return false;
            return linkat(m_file.fd, "", m_folderFd, name.c_str(), AT_EMPTY_PATH) == 0;
        }
        if (renameat2(m_folderFd, m_name.c_str(), m_folderFd, name.c_str(), RENAME_NOREPLACE) == 0) {
            m_linked = true;
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // A file system without the no-replace rename: a hard link refuses an existing name too.
        if (linkat(m_folderFd, m_name.c_str(), m_folderFd, name.c_str(), 0) != 0)
            return false;
        unlinkat(m_folderFd, m_name.c_str(), 0);
        m_linked = true;
        return true;
    }

private:
    int m_folderFd;
    Descriptor m_file;
    std::string m_path; // empty for an unnamed file
    std::string m_name;
    bool m_linked { false };
};

}

std::string NumberedFileName(std::string_view name, int number)
{
    std::string suffix = " (" + std::to_string(number) + ")";
    std::size_t dot = name.rfind('.');
    if (dot == 0 || dot == std::string_view::npos)
        dot = name.size();
    std::string_view stem = name.substr(0, dot);
    std::string_view extension = name.substr(dot);
    std::size_t room = kMaxNameBytes - std::min(kMaxNameBytes, suffix.size() + extension.size());
    return std::string(Utf8Prefix(stem, room)) + suffix + std::string(extension);
}

std::string SaveWithoutReplacing(const std::string& folder, const std::string& name, std::string_view content)
{
    Descriptor folderFd;
    folderFd.fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd.fd < 0)
        fail(Reason::FolderNotWritable, folder, errno);
    struct stat info;
    if (fstat(folderFd.fd, &info) != 0)
        fail(Reason::FolderNotWritable, folder, errno);
    // Not even root writes into another user's folder: a build placed there
    // would be that user's to run, or to swap.
    if (info.st_uid != geteuid())
        throw DownloadSaveError(Reason::FolderOfAnotherUser, "Cannot save into " + folder + ": it belongs to another user");

    RemoveStaleDownloadScratch(folder);
    ScratchFile scratch(folderFd.fd, folder);
    if (!WriteAll(scratch.Fd(), content) || fsync(scratch.Fd()) != 0)
        fail(Reason::WriteFailed, folder, errno);
    for (int number = 1; number <= kMaxNumber; ++number) {
        std::string candidate = number == 1 ? name : NumberedFileName(name, number);
        if (scratch.LinkAs(candidate)) {
            fsync(folderFd.fd);
            return candidate;
        }
        if (errno != EEXIST)
            fail(reasonOfCreate(errno), folder, errno);
    }
    throw DownloadSaveError(Reason::NoFreeName, "Cannot save into " + folder + ": every name for " + name + " is taken");
}

void RemoveStaleDownloadScratch(const std::string& folder)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return;
    int folderFd = dirfd(directory);
    while (dirent* entry = readdir(directory)) {
        std::string_view entryName = entry->d_name;
        if (!entryName.starts_with(kDownloadScratchPrefix) || entryName.size() != kDownloadScratchPrefix.size() + 6)
            continue;
        struct stat info;
        if (fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid())
            unlinkat(folderFd, entry->d_name, 0);
    }
    closedir(directory);
}

}
