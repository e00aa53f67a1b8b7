// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Errors raised by the HTTP client. Callers treat them alike; the derived kinds
// carry what a caller may want to show or test.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nimbrell {

class HttpError : public std::runtime_error {
public:
    explicit HttpError(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

// Name resolution, connect, send or receive failed at the operating system.
// Text: "Socket Error # <code>\r\n<system text>".
class SocketError : public HttpError {
public:
    SocketError(int code, const std::string& systemText);

    int Code() const { return m_code; }

private:
    int m_code { 0 };
};

// The final response was neither 2xx nor a followed redirect. The message is the
// status line; the body is the error response's body.
class HttpStatusError : public HttpError {
public:
    HttpStatusError(int code, const std::string& statusLine, std::string body)
        : HttpError(statusLine)
        , m_code(code)
        , m_statusLine(statusLine)
        , m_body(std::move(body))
    {
    }

    int Code() const { return m_code; }
    const std::string& StatusLine() const { return m_statusLine; }
    const std::string& Body() const { return m_body; }

private:
    int m_code { -1 };
    std::string m_statusLine;
    std::string m_body;
};

// A wait for data passed the read time-out.
class ReadTimeoutError : public HttpError {
public:
    ReadTimeoutError();
};

// The peer closed the connection where more was required.
class ConnectionClosedError : public HttpError {
public:
    ConnectionClosedError();
};

// The whole fetch outlasted the deadline set for it.
class DeadlineError : public HttpError {
public:
    DeadlineError();
};

// The TLS handshake failed or the peer's certificate was refused. The text
// says why; nothing is ever retried without TLS.
class TlsError : public HttpError {
public:
    using HttpError::HttpError;
};

// A body whose framing was broken (cut short, a malformed chunk size, no last
// chunk) where the client was asked to insist on complete bodies.
class IncompleteBodyError : public HttpError {
public:
    using HttpError::HttpError;
};

// `url` without its user information ("user:password@"), for logs and messages.
std::string AddressWithoutCredentials(std::string_view url);

// One line for standard error: the address without credentials and why the
// fetch failed ("refused", "timed out", "status 503", the certificate, ...).
std::string FetchFailureLine(std::string_view url, const std::exception& error);
void ReportFetchFailure(std::string_view url, const std::exception& error);

namespace HttpMessages {
inline constexpr const char* kReadTimedOut = "Read timed out.";
inline constexpr const char* kConnectionClosedGracefully = "Connection Closed Gracefully.";
inline constexpr const char* kMaxLineLengthExceeded = "Max line length exceeded.";
inline constexpr const char* kTooManyHeaderLines = "Too many header lines.";
inline constexpr const char* kBodyTooLarge = "Response body too large.";
inline constexpr const char* kDeadlinePassed = "The fetch did not finish in time.";
inline constexpr const char* kBodyCutShort = "The connection closed before the whole body arrived.";
inline constexpr const char* kMalformedChunkSize = "Malformed chunk size.";
inline constexpr const char* kMissingLastChunk = "The chunked body has no last chunk.";
inline constexpr const char* kUndeclaredLength = "The answer declares neither a length nor chunks.";
}

}
