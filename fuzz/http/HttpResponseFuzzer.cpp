// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the response reader as a server's answer, in
// pieces of a size the input chooses, and checks the reader's promises: it
// ends in an error or a response, buffers within its limits, keeps progress
// notifications balanced and resolves any Location it is given.

#include "http/HttpError.h"
#include "http/HttpResponseReader.h"
#include "http/HttpTarget.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace nimbrell;

class PieceSource : public ByteSource {
public:
    PieceSource(std::string_view bytes, std::size_t pieceSize)
        : m_bytes(bytes)
        , m_pieceSize(pieceSize)
    {
    }

    std::size_t Receive(char* buffer, std::size_t capacity, int) override
    {
        if (m_bytes.empty()) {
            if (m_timeOutAtEnd)
                throw ReadTimeoutError();
            return 0;
        }
        std::size_t count = std::min({ capacity, m_pieceSize, m_bytes.size() });
        std::memcpy(buffer, m_bytes.data(), count);
        m_bytes.remove_prefix(count);
        return count;
    }

    bool m_timeOutAtEnd { false };

private:
    std::string_view m_bytes;
    std::size_t m_pieceSize;
};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::size_t pieceSize = data[0] & 0x7F ? (data[0] & 0x7F) : 65536;
    bool timeOutAtEnd = data[0] & 0x80;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    // The same bytes as a URL, as a caller or a Location might give it.
    try {
        HttpTarget current = ResolveTarget({}, "http://example.org:8080/a/b/c.html?q=1");
        HttpTarget next = ResolveTarget(current, bytes.substr(0, bytes.find('\n')));
        check(next.RequestTarget().find_first_of("\r\n ") == std::string::npos);
        check(next.RequestTarget().front() == '/');
    } catch (const HttpError&) {
    }

    PieceSource source(bytes, pieceSize);
    source.m_timeOutAtEnd = timeOutAtEnd;

    int depth = 0;
    std::int64_t lastCount = 0;
    ProgressTracker progress;
    progress.SetListener({
        [&](WorkMode, std::int64_t expected) {
            check(depth == 0 && expected >= 0);
            ++depth;
            lastCount = 0;
        },
        [&](WorkMode, std::int64_t count) {
            check(depth == 1 && count > lastCount);
            lastCount = count;
        },
        [&](WorkMode) {
            check(depth == 1);
            --depth;
        },
    });

    HttpResponseReader reader(source, progress);
    HttpReaderLimits limits;
    limits.maxBodySize = 1 << 20;
    // Both framing policies, lenient and strict.
    limits.requireCompleteBody = (data[0] & 0x40) != 0;
    reader.SetLimits(limits);
    MemoryStream body;
    try {
        HttpResponse response = reader.ReadHead();
        check(response.rawHeaders.size() <= static_cast<std::size_t>(HttpReaderLimits::kMaxHeaderLines));
        for (const auto& line : response.rawHeaders) {
            for (char c : line)
                check(static_cast<unsigned char>(c) <= 0x7F && c != '\n');
        }
        if (!response.location.empty()) {
            try {
                HttpTarget current = ResolveTarget({}, "http://example.org:8080/a/b/c.html?q=1");
                HttpTarget next = ResolveTarget(current, response.location);
                std::string line = next.RequestTarget();
                check(line.find_first_of("\r\n ") == std::string::npos);
                check(!next.HostHeader().empty());
            } catch (const HttpError&) {
            }
        }
        reader.ReadBody(response, &body);
        if (!response.IsChunked() && response.contentLength >= 0)
            check(body.Size() <= response.contentLength);
    } catch (const HttpError&) {
    }
    check(depth == 0);
    check(body.Size() <= limits.maxBodySize);
    return 0;
}
