// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writing the program's compressed resources out to files.

#include <span>
#include <string>
#include <vector>

namespace nimbrell {

// Inflates a whole zlib stream, reading 4,096 inflated bytes at a time. Throws
// std::runtime_error, and leaves target as it was, when the stream is corrupt
// or ends before its end marker.
void InflateStream(std::span<const unsigned char> compressed, std::vector<unsigned char>& target);

// Writes the inflated resource (name, type) to targetPath. The old file is
// removed first; if it cannot be removed it is used as it is. The new file is
// written beside the target and renamed over it, so a process that still holds
// the old file keeps reading it, and a failure never leaves a partial file.
// Throws "Resource %s not found", or the inflation or file error.
void ExtractResourceFile(const std::string& name, const std::string& type, const std::string& targetPath);

}
