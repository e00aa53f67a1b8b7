// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes a folder refuse new entries for the life of the object: its mode for
// ordinary users, and the immutable flag for root, whom modes do not stop.
// Holds() tells whether that worked on this file system.

#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrell::testing {

class UnwritableFolder {
public:
    explicit UnwritableFolder(std::string path)
        : m_path(std::move(path))
    {
        chmod(m_path.c_str(), 0555);
        if (geteuid() == 0)
            m_immutable = setImmutable(true);
    }
    ~UnwritableFolder()
    {
        if (m_immutable)
            setImmutable(false);
        chmod(m_path.c_str(), 0755);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    bool Holds() const { return access(m_path.c_str(), W_OK) != 0; }

private:
    bool setImmutable(bool on)
    {
        int fd = open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return done;
    }

    std::string m_path;
    bool m_immutable { false };
};

}
