// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpResponseReader.h"

#include "base/Text.h"
#include "http/HttpError.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace nimbrell {

namespace {

constexpr std::size_t kBufferSize = HttpReaderLimits::kMaxLineLength + 2 + HttpReaderLimits::kPieceSize;

int parseStatusCode(std::string_view statusLine)
{
    // The second blank-separated word.
    auto firstBlank = statusLine.find(' ');
    if (firstBlank == std::string_view::npos)
        return -1;
    auto rest = statusLine.substr(firstBlank);
    auto start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return -1;
    rest = rest.substr(start);
    auto word = rest.substr(0, rest.find(' '));
    if (word.empty() || word.size() > 9)
        return -1;
    int code = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return -1;
        code = code * 10 + (c - '0');
    }
    return code;
}

std::string parseVersion(std::string_view statusLine)
{
    constexpr std::string_view prefix = "HTTP/";
    if (statusLine.size() < prefix.size() || !EqualsIgnoringAsciiCase(statusLine.substr(0, prefix.size()), prefix))
        return {};
    auto version = statusLine.substr(prefix.size(), 5);
    return std::string(version.substr(0, version.find(' ')));
}

// The chunk size before any ";", as hexadecimal; nothing when unreadable.
std::optional<std::uint64_t> parseChunkSize(std::string_view line)
{
    auto text = TrimAsciiWhitespace(line.substr(0, line.find(';')));
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    std::uint64_t size = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        size = size * 16 + static_cast<std::uint64_t>(digit);
    }
    return size;
}

}

HttpResponseReader::HttpResponseReader(ByteSource& source, ProgressTracker& progress)
    : m_source(source)
    , m_progress(progress)
    , m_buffer(kBufferSize)
{
}

bool HttpResponseReader::fill(int timeoutMs)
{
    if (m_peerClosed)
        return false;
    if (m_begin == m_end) {
        m_begin = 0;
        m_end = 0;
    } else if (m_buffer.size() - m_end < HttpReaderLimits::kPieceSize) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    std::size_t room = std::min(m_buffer.size() - m_end, HttpReaderLimits::kPieceSize);
    std::size_t received = m_source.Receive(m_buffer.data() + m_end, room, timeoutMs);
    if (received == 0) {
        m_peerClosed = true;
        return false;
    }
    m_end += std::min(received, room);
    m_receivedBytes += received;
    return true;
}

bool HttpResponseReader::WaitForData(int timeoutMs)
{
    if (Buffered() > 0)
        return true;
    try {
        return fill(timeoutMs);
    } catch (const ReadTimeoutError&) {
        return false;
    }
}

std::string HttpResponseReader::ReadLine()
{
    std::size_t scanned = 0;
    for (;;) {
        const char* start = m_buffer.data() + m_begin;
        std::size_t available = m_end - m_begin;
        const void* found = std::memchr(start + scanned, '\n', available - scanned);
        if (found) {
            std::size_t length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
            m_begin += length + 1;
            if (length > 0 && start[length - 1] == '\r')
                --length;
            if (length > HttpReaderLimits::kMaxLineLength)
                throw HttpError(HttpMessages::kMaxLineLengthExceeded);
            std::string line(start, length);
            for (char& c : line) {
                if (static_cast<unsigned char>(c) > 0x7F)
                    c = '?';
            }
            return line;
        }
        // Room for the longest line and its CR; anything longer cannot end in time.
        if (available > HttpReaderLimits::kMaxLineLength + 1)
            throw HttpError(HttpMessages::kMaxLineLengthExceeded);
        scanned = available;
        if (!fill(m_limits.readTimeoutMs))
            throw ConnectionClosedError();
    }
}

void HttpResponseReader::countHeaderLine()
{
    if (++m_headerLines > HttpReaderLimits::kMaxHeaderLines)
        throw HttpError(HttpMessages::kTooManyHeaderLines);
}

HttpResponse HttpResponseReader::ReadHead()
{
    m_headerLines = 0;
    for (bool interim = false;; interim = true) {
        HttpResponse response;
        if (interim)
            countHeaderLine();
        response.statusLine = ReadLine();
        response.statusCode = parseStatusCode(response.statusLine);
        response.version = parseVersion(response.statusLine);
        for (;;) {
            std::string line = ReadLine();
            if (line.empty())
                break;
            countHeaderLine();
            bool continuation = line.front() == ' ' || line.front() == '\t';
            if (continuation && !response.rawHeaders.empty()) {
                response.rawHeaders.back() += ' ';
                response.rawHeaders.back() += TrimAsciiWhitespace(line);
                continue;
            }
            response.rawHeaders.push_back(std::move(line));
        }
        if (response.statusCode == 100)
            continue;
        response.ParseHeaderFields();
        return response;
    }
}

void HttpResponseReader::ReadBody(HttpResponse& response, ByteStream* target)
{
    m_bodyBytes = 0;
    if (response.IsChunked()) {
        readChunked(response, target);
        return;
    }
    std::int64_t length = response.contentLength;
    if (length > 0) {
        if (length > m_limits.maxBodySize)
            throw HttpError(HttpMessages::kBodyTooLarge);
        std::int64_t start = target ? target->Position() : 0;
        std::int64_t originalSize = target ? target->Size() : 0;
        if (target && originalSize < start + length)
            target->SetSize(start + length);
        std::int64_t received = 0;
        // A body cut short, by a close or by an error, leaves what arrived and
        // no unwritten tail.
        auto dropUnfilledTail = [&] {
            if (target && received < length)
                target->SetSize(std::max(originalSize, start + received));
        };
        try {
            readExact(length, target, m_limits.requireCompleteBody ? OnClose::Fail : OnClose::EndBody, received);
        } catch (...) {
            dropUnfilledTail();
            throw;
        }
        dropUnfilledTail();
        return;
    }
    if (length < 0) {
        // A close is all that ends such a body, and a cut connection closes
        // too: nothing tells a whole body from half of one.
        if (m_limits.requireCompleteBody)
            throw IncompleteBodyError(HttpMessages::kUndeclaredLength);
        ProgressScope scope(m_progress, 0);
        readUntilClose(target);
    }
}

void HttpResponseReader::readChunked(HttpResponse& response, ByteStream* target)
{
    ProgressScope scope(m_progress, 0);
    const bool strict = m_limits.requireCompleteBody;
    // Strictly, a close anywhere before the empty line after the last chunk
    // means the body is incomplete.
    auto readFramingLine = [&] {
        try {
            return ReadLine();
        } catch (const ConnectionClosedError&) {
            if (strict)
                throw IncompleteBodyError(HttpMessages::kMissingLastChunk);
            throw;
        }
    };
    for (;;) {
        std::optional<std::uint64_t> parsed = parseChunkSize(readFramingLine());
        if (!parsed && strict)
            throw IncompleteBodyError(HttpMessages::kMalformedChunkSize);
        std::uint64_t size = parsed.value_or(0);
        if (size == 0)
            break;
        if (size > static_cast<std::uint64_t>(m_limits.maxBodySize - m_bodyBytes))
            throw HttpError(HttpMessages::kBodyTooLarge);
        std::int64_t received = 0;
        readExact(static_cast<std::int64_t>(size), target, OnClose::Fail, received);
        if (!readFramingLine().empty() && strict)
            throw IncompleteBodyError(HttpMessages::kMalformedChunkSize);
    }
    // Trailers; a peer that closes instead of sending the final empty line has
    // still delivered the whole body.
    for (;;) {
        std::string line;
        try {
            line = ReadLine();
        } catch (const ConnectionClosedError&) {
            return;
        }
        if (line.empty())
            return;
        countHeaderLine();
        response.rawHeaders.push_back(std::move(line));
    }
}

void HttpResponseReader::readExact(std::int64_t size, ByteStream* target, OnClose onClose, std::int64_t& received)
{
    ProgressScope scope(m_progress, size);
    while (received < size) {
        if (Buffered() == 0 && !fill(m_limits.readTimeoutMs)) {
            if (onClose == OnClose::EndBody)
                break;
            if (m_limits.requireCompleteBody)
                throw IncompleteBodyError(HttpMessages::kBodyCutShort);
            throw ConnectionClosedError();
        }
        auto piece = std::min<std::int64_t>({ static_cast<std::int64_t>(Buffered()), size - received,
            static_cast<std::int64_t>(HttpReaderLimits::kPieceSize) });
        take(static_cast<std::size_t>(piece), target);
        received += piece;
    }
}

void HttpResponseReader::readUntilClose(ByteStream* target)
{
    for (;;) {
        if (Buffered() == 0 && !fill(m_limits.readTimeoutMs))
            return;
        take(std::min(Buffered(), HttpReaderLimits::kPieceSize), target);
    }
}

void HttpResponseReader::take(std::size_t count, ByteStream* target)
{
    countBodyBytes(static_cast<std::int64_t>(count));
    if (target)
        target->Write(m_buffer.data() + m_begin, count);
    m_begin += count;
    m_progress.Add(static_cast<std::int64_t>(count));
}

void HttpResponseReader::countBodyBytes(std::int64_t bytes)
{
    m_bodyBytes += bytes;
    if (m_bodyBytes > m_limits.maxBodySize)
        throw HttpError(HttpMessages::kBodyTooLarge);
}

}
