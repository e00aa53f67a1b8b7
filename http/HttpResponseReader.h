// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads HTTP/1.1 responses from a byte source: lines, the status line and
// headers, and bodies in their three framings. Knows nothing of sockets, so a
// test or the fuzzer can feed it any bytes.

#include "http/ByteSource.h"
#include "http/ByteStream.h"
#include "http/HttpProgress.h"
#include "http/HttpResponse.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nimbrell {

struct HttpReaderLimits {
    static constexpr std::size_t kPieceSize = 32768;
    static constexpr std::size_t kMaxLineLength = 16384;
    // Header lines of one exchange, interim responses and trailers included.
    static constexpr int kMaxHeaderLines = 255;

    int readTimeoutMs { -1 };
    // Bytes of one body, kept or discarded, beyond which reading fails.
    std::int64_t maxBodySize { std::int64_t(512) << 20 };
    // A body must arrive whole: a declared length or chunks (a body that only
    // a close would end is refused), all of its announced length, well-formed
    // chunk sizes and the last chunk, else IncompleteBodyError. Otherwise a
    // close ends the body and an unreadable chunk size counts as the last chunk.
    bool requireCompleteBody { false };
};

class HttpResponseReader {
public:
    HttpResponseReader(ByteSource& source, ProgressTracker& progress);

    void SetLimits(const HttpReaderLimits& limits) { m_limits = limits; }
    const HttpReaderLimits& Limits() const { return m_limits; }

    // Reads the status line and headers, skipping interim "100" responses.
    // Throws "Connection Closed Gracefully." when the peer closes first.
    HttpResponse ReadHead();

    // Reads the body that `response` announces into `target`, or drops it when
    // `target` is null. Chunked trailers are added to the response's headers.
    void ReadBody(HttpResponse& response, ByteStream* target);

    // Reads one line ending in LF (a CR before it removed), bytes above 0x7F as '?'.
    std::string ReadLine();

    // True when unread bytes are buffered or arrive within `timeoutMs`; false on
    // a time-out or a close.
    bool WaitForData(int timeoutMs);

    // The peer closed the connection (a receive returned nothing).
    bool PeerClosed() const { return m_peerClosed; }
    // Bytes that have come through this reader in all.
    std::uint64_t ReceivedBytes() const { return m_receivedBytes; }
    // Bytes received but not yet consumed.
    std::size_t Buffered() const { return m_end - m_begin; }

private:
    // Receives more bytes into the buffer; returns false when the peer closed.
    bool fill(int timeoutMs);
    void readChunked(HttpResponse& response, ByteStream* target);
    enum class OnClose {
        EndBody,
        Fail
    };
    // Reads exactly `size` bytes, or fewer when the peer closes and `onClose`
    // allows it; `received` counts them as they arrive.
    void readExact(std::int64_t size, ByteStream* target, OnClose onClose, std::int64_t& received);
    void readUntilClose(ByteStream* target);
    void take(std::size_t count, ByteStream* target);
    void countBodyBytes(std::int64_t bytes);
    void countHeaderLine();

    ByteSource& m_source;
    ProgressTracker& m_progress;
    HttpReaderLimits m_limits;
    std::vector<char> m_buffer;
    std::size_t m_begin { 0 };
    std::size_t m_end { 0 };
    bool m_peerClosed { false };
    std::uint64_t m_receivedBytes { 0 };
    int m_headerLines { 0 };
    std::int64_t m_bodyBytes { 0 };
};

}
