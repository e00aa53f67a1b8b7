// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ResourceFile.h"

#include "base/Text.h"
#include "data/FileWriting.h"
#include "platform/Resources.h"

#include <climits>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace nimbrell {

void InflateStream(std::span<const unsigned char> compressed, std::vector<unsigned char>& target)
{
    constexpr std::size_t chunk = 4096;
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        throw std::runtime_error("Cannot start decompression");
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(compressed.size(), UINT_MAX));

    std::vector<unsigned char> inflated;
    int result = Z_OK;
    for (;;) {
        std::size_t start = inflated.size();
        inflated.resize(start + chunk);
        stream.next_out = inflated.data() + start;
        stream.avail_out = chunk;
        // A read fills its piece unless the stream ends (or breaks) first.
        while (stream.avail_out > 0 && result == Z_OK)
            result = inflate(&stream, Z_NO_FLUSH);
        std::size_t got = chunk - stream.avail_out;
        inflated.resize(start + got);
        if (got < chunk || result != Z_OK)
            break;
    }
    inflateEnd(&stream);
    // Z_BUF_ERROR here means the input ran out before the end marker: a
    // truncated stream must not pass for a complete one.
    if (result != Z_STREAM_END)
        throw std::runtime_error("Error decompressing the resource data");
    target.insert(target.end(), inflated.begin(), inflated.end());
}

void ExtractResourceFile(const std::string& name, const std::string& type, const std::string& targetPath)
{
    unlink(targetPath.c_str());
    struct stat info;
    if (lstat(targetPath.c_str(), &info) == 0)
        return;

    auto resource = platform::FindResource(name, type);
    if (!resource)
        throw std::runtime_error(Format("Resource %s not found", name.c_str()));
    std::vector<unsigned char> content;
    InflateStream(*resource, content);
    platform::ReleaseResource(*resource);
    WriteFileAtomically(targetPath, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

}
