// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace nimbrell {

std::string HomeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    // Session managers and service units may start the program without HOME.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}

}
