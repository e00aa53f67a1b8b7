// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

enum class FileAccess {
    Private,  // 0600: the program's own data (settings, database, autostart entry)
    Readable, // 0644: a file meant for others too (a downloaded build)
};

// Writes all of content to fd, going on after interruptions; false on an error (errno says which).
bool WriteAll(int fd, std::string_view content);

// Writes content to a new file beside path, flushes it and renames it over path,
// so readers see either the old file or the complete new one; a link at path is
// replaced, never followed. Throws std::runtime_error("Cannot create file
// <path>") and removes the scratch file when anything fails.
void WriteFileAtomically(const std::string& path, std::string_view content, FileAccess access = FileAccess::Private);

// Removes the scratch files WriteFileAtomically leaves beside each of `paths`
// when the process is killed mid-write (path + "." + six letters or digits),
// if they are this user's regular files.
void RemoveLeftScratchFiles(const std::vector<std::string>& paths);

// The contents of path when it is a regular file (a link is not followed) of at
// most maxSize bytes; nothing when it is missing, something else or larger.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxSize);

enum class FolderCheck {
    Ready,     // a folder of this user that no one else may change
    Untrusted, // a link, or a folder of someone else or open to others' writes
    Failed,    // missing and could not be created, not a folder, or not writable
};

// Creates the folder and its parents when missing, the folder itself with mode
// 0700. A folder of this user that others may only read is closed to them.
FolderCheck PreparePrivateFolder(const std::string& path);

// Moves the regular file `from` (not a link) of this user, lying in a folder
// no one else may change, to `to`, unless `to` exists already: a rename where
// both lie on one file system, else a copy of at most maxSize bytes written
// through a scratch file, after which `from` is removed; either way the file
// ends private (0600). True when the
// file was moved; when anything fails `from` stays where it was.
bool MoveOwnFile(const std::string& from, const std::string& to, std::size_t maxSize);

// The absolute, normalised form of path, for messages that name a file.
std::string FullFileName(const std::string& path);

}
