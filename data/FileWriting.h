#pragma once

#include <string>
#include <string_view>

namespace nimbrell {

// Writes content to a new file beside path, flushes it and renames it over path,
// so readers see either the old file or the complete new one. Throws
// std::runtime_error("Cannot create file <path>") and removes the scratch file
// when anything fails.
void WriteFileAtomically(const std::string& path, std::string_view content);

// The absolute, normalised form of path, for messages that name a file.
std::string FullFileName(const std::string& path);

}
