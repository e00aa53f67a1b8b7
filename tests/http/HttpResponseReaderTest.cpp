// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpError.h"
#include "http/HttpResponseReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

namespace nimbrell {
namespace {

using testing::ElementsAre;

// Hands out scripted pieces, then either reports a close or a time-out.
class ScriptedSource : public ByteSource {
public:
    explicit ScriptedSource(std::vector<std::string> pieces, bool timeOutAtEnd = false)
        : m_pieces(pieces.begin(), pieces.end())
        , m_timeOutAtEnd(timeOutAtEnd)
    {
    }

    std::size_t Receive(char* buffer, std::size_t capacity, int) override
    {
        if (m_pieces.empty()) {
            if (m_timeOutAtEnd)
                throw ReadTimeoutError();
            return 0;
        }
        std::string& piece = m_pieces.front();
        std::size_t count = std::min(capacity, piece.size());
        std::memcpy(buffer, piece.data(), count);
        piece.erase(0, count);
        if (piece.empty())
            m_pieces.pop_front();
        return count;
    }

private:
    std::deque<std::string> m_pieces;
    bool m_timeOutAtEnd;
};

// Repeats a pattern without end and counts what it handed out.
class EndlessSource : public ByteSource {
public:
    EndlessSource(std::string prefix, std::string pattern)
        : m_prefix(std::move(prefix))
        , m_pattern(std::move(pattern))
    {
    }

    std::size_t Receive(char* buffer, std::size_t capacity, int) override
    {
        std::size_t count = 0;
        while (count < capacity) {
            const std::string& from = m_prefixLeft() ? m_prefix : m_pattern;
            std::size_t& offset = m_prefixLeft() ? m_prefixOffset : m_patternOffset;
            std::size_t n = std::min(capacity - count, from.size() - offset);
            std::memcpy(buffer + count, from.data() + offset, n);
            count += n;
            offset = (offset + n) % from.size();
            if (&from == &m_prefix && offset == 0)
                m_prefixDone = true;
        }
        m_handedOut += count;
        return count;
    }

    std::size_t HandedOut() const { return m_handedOut; }

private:
    bool m_prefixLeft() const { return !m_prefixDone && !m_prefix.empty(); }

    std::string m_prefix;
    std::string m_pattern;
    std::size_t m_prefixOffset { 0 };
    std::size_t m_patternOffset { 0 };
    bool m_prefixDone { false };
    std::size_t m_handedOut { 0 };
};

struct ProgressLog {
    std::vector<std::string> events;
    HttpProgressListener Listener()
    {
        return {
            [this](WorkMode, std::int64_t size) { events.push_back("begin " + std::to_string(size)); },
            [this](WorkMode, std::int64_t count) { events.push_back("work " + std::to_string(count)); },
            [this](WorkMode) { events.push_back("end"); },
        };
    }
};

struct Fetched {
    HttpResponse response;
    std::string body;
    std::vector<std::string> progress;
};

Fetched readAll(ByteSource& source, HttpReaderLimits limits = {})
{
    ProgressLog log;
    ProgressTracker tracker;
    tracker.SetListener(log.Listener());
    HttpResponseReader reader(source, tracker);
    reader.SetLimits(limits);
    Fetched fetched;
    fetched.response = reader.ReadHead();
    MemoryStream body;
    reader.ReadBody(fetched.response, &body);
    fetched.body = body.ToString();
    fetched.progress = log.events;
    return fetched;
}

Fetched readAll(std::vector<std::string> pieces)
{
    ScriptedSource source(std::move(pieces));
    return readAll(source);
}

std::string readError(ByteSource& source, HttpReaderLimits limits = {})
{
    try {
        readAll(source, limits);
    } catch (const HttpError& error) {
        return error.what();
    }
    return "no error";
}

std::string readError(std::vector<std::string> pieces)
{
    ScriptedSource source(std::move(pieces));
    return readError(source);
}

TEST(HttpResponseReader, StatusCodeIsTheSecondWordOrMinusOne)
{
    struct Row {
        const char* line;
        int code;
        const char* version;
    } rows[] = {
        { "HTTP/1.1 200 OK", 200, "1.1" },
        { "HTTP/1.0 404 Not Found", 404, "1.0" },
        { "HTTP/1.1 304", 304, "1.1" },
        { "HTTP/1.1 abc OK", -1, "1.1" },
        { "HTTP/1.1 20x OK", -1, "1.1" },
        { "HTTP/1.1", -1, "1.1" },
        { "\x01\xff garbage \x80", -1, "" },
    };
    for (const auto& row : rows) {
        auto fetched = readAll({ std::string(row.line) + "\r\nContent-Length: 0\r\n\r\n" });
        EXPECT_EQ(fetched.response.statusCode, row.code) << row.line;
        EXPECT_EQ(fetched.response.version, row.version) << row.line;
    }
}

TEST(HttpResponseReader, HeadersFoldContinuationsKeepFirstOccurrenceAndSkipContinue)
{
    auto fetched = readAll({ "HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n",
        "HTTP/1.1 200 OK\nContent-Type: text/\r\n", " plain;\r\n\tcharset=utf-8\r\ncontent-length: 3\r\nContent-Length: 9\r\n",
        "X-Bin: caf\xc3\xa9\r\n\r\nabcdef" });
    EXPECT_EQ(fetched.response.statusCode, 200);
    EXPECT_EQ(fetched.response.contentType, "text/ plain; charset=utf-8");
    EXPECT_EQ(fetched.response.contentLength, 3);
    EXPECT_EQ(fetched.response.Header("x-bin"), "caf??");
    EXPECT_FALSE(fetched.response.Header("X-Interim"));
    EXPECT_EQ(fetched.body, "abc");
}

TEST(HttpResponseReader, ContentLengthBodyReportsItsSizeAndEndsEarlyOnClose)
{
    auto whole = readAll({ "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhe", "llo" });
    EXPECT_EQ(whole.body, "hello");
    EXPECT_THAT(whole.progress, ElementsAre("begin 5", "work 2", "work 5", "end"));

    auto cut = readAll({ "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel" });
    EXPECT_EQ(cut.body, "hel");
    EXPECT_THAT(cut.progress, ElementsAre("begin 5", "work 3", "end"));
}

TEST(HttpResponseReader, ContentLengthZeroOrUnreadable)
{
    auto empty = readAll({ "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nignored" });
    EXPECT_EQ(empty.body, "");
    EXPECT_TRUE(empty.progress.empty());

    // An unreadable length counts as absent: the body runs to the close.
    for (const char* length : { "abc", "-5", "99999999999999999999999", "5x" }) {
        auto fetched = readAll({ std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + length + "\r\n\r\nto the end" });
        EXPECT_EQ(fetched.response.contentLength, -1) << length;
        EXPECT_EQ(fetched.body, "to the end") << length;
        EXPECT_THAT(fetched.progress, ElementsAre("begin 0", "work 10", "end"));
    }
}

TEST(HttpResponseReader, ChunkedBodyWithExtensionsAndTrailersReportsOneOuterWork)
{
    auto fetched = readAll({ "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\nContent-Length: 2\r\n\r\n",
        "5;name=value\r\nhello\r\n", "A ; x\r\n0123456789\r\n0\r\nX-Trailer: t\r\n\r\n" });
    EXPECT_EQ(fetched.body, "hello0123456789");
    EXPECT_EQ(fetched.response.Header("X-Trailer"), "t");
    // Each chunk's read nests inside the body's: one begin, cumulative work, one end.
    EXPECT_THAT(fetched.progress, ElementsAre("begin 0", "work 5", "work 15", "end"));
}

TEST(HttpResponseReader, ChunkedBodyCutInsideAChunkFails)
{
    EXPECT_EQ(readError({ "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel" }),
        HttpMessages::kConnectionClosedGracefully);
    // A close instead of the final empty line still delivers the whole body.
    auto fetched = readAll({ "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n" });
    EXPECT_EQ(fetched.body, "hello");
}

TEST(HttpResponseReader, HeadErrors)
{
    EXPECT_EQ(readError({}), HttpMessages::kConnectionClosedGracefully);
    EXPECT_EQ(readError({ "HTTP/1.1 200 OK\r\nX-A: 1\r\n" }), HttpMessages::kConnectionClosedGracefully);
    ScriptedSource stalled({ "HTTP/1.1 200 OK\r\n" }, true);
    EXPECT_EQ(readError(stalled), HttpMessages::kReadTimedOut);
}

TEST(HttpResponseReader, LineLengthLimitIs16384Bytes)
{
    std::string value(16384 - 3, 'v');
    auto fetched = readAll({ "HTTP/1.1 200 OK\r\nX: " + value.substr(0, 8000), value.substr(8000) + "\r\nContent-Length: 0\r\n\r\n" });
    EXPECT_EQ(fetched.response.Header("X")->size(), value.size());
    EXPECT_EQ(readError({ "HTTP/1.1 200 OK\r\nX: " + value + "v\r\n\r\n" }), HttpMessages::kMaxLineLengthExceeded);
}

TEST(HttpResponseReader, EndlessInputEndsInAnErrorAfterBoundedReading)
{
    struct Row {
        const char* what;
        std::string prefix;
        std::string pattern;
        const char* error;
    } rows[] = {
        { "megabyte header line", "HTTP/1.1 200 OK\r\nX-Long: ", "x", HttpMessages::kMaxLineLengthExceeded },
        { "garbage status line", "", "\x01garbage\xfe", HttpMessages::kMaxLineLengthExceeded },
        { "header lines", "HTTP/1.1 200 OK\r\n", "X-More: yes\r\n", HttpMessages::kTooManyHeaderLines },
        { "continue responses", "", "HTTP/1.1 100 Continue\r\n\r\n", HttpMessages::kTooManyHeaderLines },
        { "body to the close", "HTTP/1.1 200 OK\r\n\r\n", "data", HttpMessages::kBodyTooLarge },
        { "chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "4\r\ndata\r\n", HttpMessages::kBodyTooLarge },
        { "trailers", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n", "T: 1\r\n", HttpMessages::kTooManyHeaderLines },
    };
    HttpReaderLimits limits;
    limits.maxBodySize = 1 << 20;
    for (const auto& row : rows) {
        EndlessSource source(row.prefix, row.pattern);
        EXPECT_EQ(readError(source, limits), row.error) << row.what;
        EXPECT_LT(source.HandedOut(), std::size_t(4) << 20) << row.what;
    }
}

TEST(HttpResponseReader, AnnouncedSizesBeyondTheLimitFailBeforeAnyAllocation)
{
    // A length this large would exhaust memory if the stream were grown to it.
    EXPECT_EQ(readError({ "HTTP/1.1 200 OK\r\nContent-Length: 1000000000000000\r\n\r\nabc" }), HttpMessages::kBodyTooLarge);
    EXPECT_EQ(readError({ "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffff\r\nabc" }), HttpMessages::kBodyTooLarge);
    // More hexadecimal digits than a size can hold are unreadable, which ends the body.
    auto fetched = readAll({ "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n1ffffffffffffffff\r\nxyz" });
    EXPECT_EQ(fetched.body, "abc");
}

TEST(HttpResponseReader, WritesAtTheStreamPositionAndGrowsOnceToTheAnnouncedSize)
{
    class RecordingStream : public ByteStream {
    public:
        std::int64_t Position() const override { return inner.Position(); }
        std::int64_t Size() const override { return inner.Size(); }
        void Seek(std::int64_t position) override { inner.Seek(position); }
        void SetSize(std::int64_t size) override
        {
            calls.push_back("size " + std::to_string(size));
            inner.SetSize(size);
        }
        void Write(const char* data, std::size_t size) override
        {
            if (size > 32768)
                calls.push_back("oversized piece");
            if (calls.empty() || calls.back() != "write")
                calls.push_back("write");
            inner.Write(data, size);
        }
        MemoryStream inner;
        std::vector<std::string> calls;
    };

    std::string body(100000, 'b');
    RecordingStream stream;
    stream.inner.Write("prefix", 6);
    ScriptedSource source({ "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + body });
    ProgressTracker tracker;
    HttpResponseReader reader(source, tracker);
    auto response = reader.ReadHead();
    reader.ReadBody(response, &stream);
    EXPECT_THAT(stream.calls, ElementsAre("size 100006", "write"));
    EXPECT_EQ(stream.inner.View(), "prefix" + body);

    // Cut short: the stream keeps what arrived and no unfilled tail.
    RecordingStream cut;
    cut.inner.Write("prefix", 6);
    ScriptedSource cutSource({ "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + body.substr(0, 40000) });
    HttpResponseReader cutReader(cutSource, tracker);
    response = cutReader.ReadHead();
    cutReader.ReadBody(response, &cut);
    EXPECT_EQ(cut.inner.View(), "prefix" + body.substr(0, 40000));
}

}
}
