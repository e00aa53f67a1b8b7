// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stores a downloaded build in its folder without ever replacing a file: the
// bytes go to an unnamed file (or, where the file system has none, a short
// scratch file of the program's own pattern) that is then linked under the
// offered name, or under a fresh name when that one is taken.

#include <stdexcept>
#include <string>
#include <string_view>

namespace nimbrell {

class DownloadSaveError : public std::runtime_error {
public:
    enum class Reason {
        FolderOfAnotherUser, // the folder belongs to someone else
        FolderNotWritable,   // missing, not a folder, or closed to this user
        WriteFailed,         // the disk is full, a quota, an I/O error
        NoFreeName,          // every fresh name is taken
    };
    DownloadSaveError(Reason reason, const std::string& message)
        : std::runtime_error(message)
        , m_reason(reason)
    {
    }
    Reason WhatFailed() const { return m_reason; }

private:
    Reason m_reason;
};

// The scratch files' names begin with this; such files left by an earlier run
// are removed at the next save into the same folder.
inline constexpr std::string_view kDownloadScratchPrefix = ".nimbrell-download-";

// `name` with " (number)" before its extension: "build (2).deb", "nimbrell (3)";
// the stem is shortened so that the result stays within 255 bytes.
std::string NumberedFileName(std::string_view name, int number);

// Writes `content` (mode 0644) into `folder` under `name`, or under
// NumberedFileName(name, 2, 3, ...) when a file of that name exists, and
// returns the name used. Throws DownloadSaveError; nothing is left behind then.
std::string SaveWithoutReplacing(const std::string& folder, const std::string& name, std::string_view content);

// Removes this user's scratch files of the pattern above from `folder`.
void RemoveStaleDownloadScratch(const std::string& folder);

}
