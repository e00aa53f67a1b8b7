// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a downloaded build is stored: a plain file name from the update offer,
// inside one folder chosen for it.

#include <string>
#include <string_view>

namespace nimbrell {

// True when `name` names a file directly inside a folder and nothing else: not
// empty, no leading '.', no '/' or '\\', no control characters (C1 ones
// included), no format characters such as bidirectional overrides, valid
// UTF-8, at most 255 bytes.
bool IsPlainFileName(std::string_view name);

struct DownloadFolderSources {
    std::string programPath;   // the running program's file; empty when unknown
    std::string home;          // the user's home folder
    std::string xdgConfigHome; // $XDG_CONFIG_HOME; empty means home + "/.config"
};

struct DownloadFolder {
    std::string path; // no trailing separator
    bool isProgramDirectory { false };
    // The running program's own file name when the folder is its folder: a
    // download never replaces the program that fetched it.
    std::string programName {};
};

// True when `name` is a plain file name that `folder` may receive.
bool MayReceive(const DownloadFolder& folder, std::string_view name);

// The running program's folder when this user owns it and may write to it; else the user's
// download folder as user-dirs.dirs names it; else ~/Downloads. A user folder
// that does not exist yet is created.
DownloadFolder ChooseDownloadFolder(const DownloadFolderSources& sources);

// The sources as this process sees them.
DownloadFolderSources DownloadFolderSourcesFromEnvironment();

// The XDG_DOWNLOAD_DIR entry of `userDirsFile` (the text of user-dirs.dirs)
// with $HOME expanded; empty when the file names none, or names the home
// folder itself (which means the user turned the folder off).
std::string ReadUserDownloadDirectory(std::string_view userDirsFile, const std::string& home);

}
