#include "data/FileWriting.h"

#include "platform/Text.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace nimbrell {

namespace {

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        ssize_t written = write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    std::string scratch = path + ".XXXXXX";
    int fd = mkstemp(scratch.data());
    if (fd < 0)
        throw std::runtime_error(platform::Format("Cannot create file %s", FullFileName(path).c_str()));
    bool written = writeAll(fd, content) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    // mkstemp creates 0600; the file is the user's own data either way, keep the usual mode.
    written = written && chmod(scratch.c_str(), 0644) == 0;
    if (!written || rename(scratch.c_str(), path.c_str()) != 0) {
        unlink(scratch.c_str());
        throw std::runtime_error(platform::Format("Cannot create file %s", FullFileName(path).c_str()));
    }
}

std::string FullFileName(const std::string& path)
{
    std::error_code error;
    auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}
