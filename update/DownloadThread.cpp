// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/DownloadThread.h"

#include "base/WorkerThread.h"
#include "http/ByteStream.h"
#include "http/HttpClient.h"
#include "http/HttpError.h"
#include "http/OpenSsl.h"
#include "platform/MessageQueue.h"
#include "base/Text.h"
#include "update/DownloadSaving.h"

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <thread>

namespace nimbrell {

namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Nimbrell Library)";

// Fetches the body into memory, posting progress as it arrives.
std::unique_ptr<MemoryStream> fetchBody(const DownloadRequest& request)
{
    auto buffer = std::make_unique<MemoryStream>();
    auto client = std::make_unique<HttpClient>();
    DisconnectOnExit disconnect { *client };

    client->SetReadTimeout(request.options.readTimeoutMs);
    client->SetConnectTimeout(request.options.connectTimeoutMs);
    client->SetDeadline(request.options.deadlineMs);
    client->SetMaxBodySize(request.options.maxBodySize);
    client->SetRequireCompleteBody(true);
    client->SetProxy(ProxySettings::FromEnvironment());
    client->SetUserAgent(kUserAgent);

    // Only a successful answer's body is the download: the body of an error
    // or redirect answer would otherwise show percentages of a page that is
    // then refused.
    std::int64_t expected = 0;
    HttpClient& reader = *client;
    client->SetProgressListener({
        [&](WorkMode, std::int64_t size) {
            int code = reader.Response().statusCode;
            expected = code >= 200 && code < 300 ? size : 0;
        },
        [&](WorkMode, std::int64_t count) {
            if (expected > 0)
                platform::PostMessage(request.window, kDownloadProgressMessage, 0, DownloadPercent(count, expected));
        },
        {},
    });
    // Redirects are not followed: a redirect answer fails like an error status.
    client->Get(request.url, *buffer);
    return buffer;
}

class DigestMismatchError : public std::runtime_error {
public:
    DigestMismatchError()
        : std::runtime_error("The download does not have the offered digest.")
    {
    }
};

// What the window says of the error that ended a download.
DownloadOutcome outcomeOf(std::exception_ptr error)
{
    DownloadOutcome outcome;
    outcome.failure = DownloadFailure::Connection;
    try {
        std::rethrow_exception(error);
    } catch (const HttpStatusError& status) {
        outcome.failure = DownloadFailure::HttpStatus;
        outcome.httpStatus = status.Code();
    } catch (const ReadTimeoutError&) {
        outcome.failure = DownloadFailure::TimedOut;
    } catch (const DeadlineError&) {
        outcome.failure = DownloadFailure::TimedOut;
    } catch (const SocketError& socket) {
        if (socket.Code() == ETIMEDOUT)
            outcome.failure = DownloadFailure::TimedOut;
    } catch (const TlsError&) {
        outcome.failure = DownloadFailure::Certificate;
    } catch (const IncompleteBodyError&) {
        outcome.failure = DownloadFailure::Incomplete;
    } catch (const ConnectionClosedError&) {
        outcome.failure = DownloadFailure::Incomplete;
    } catch (const HttpError& http) {
        if (std::string_view(http.what()) == HttpMessages::kBodyTooLarge)
            outcome.failure = DownloadFailure::TooLarge;
    } catch (const DigestMismatchError&) {
        outcome.failure = DownloadFailure::DigestMismatch;
    } catch (const DownloadSaveError& save) {
        bool folder = save.WhatFailed() == DownloadSaveError::Reason::FolderNotWritable
            || save.WhatFailed() == DownloadSaveError::Reason::FolderOfAnotherUser;
        outcome.failure = folder ? DownloadFailure::FolderNotWritable : DownloadFailure::WriteFailed;
    } catch (...) {
    }
    return outcome;
}

}

int DownloadPercent(std::int64_t count, std::int64_t expected)
{
    return static_cast<int>((count * 100 + expected - 1) / expected);
}

std::string Sha256Hex(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const OpenSsl& crypto = OpenSsl::Get();
    if (crypto.EVP_Digest(bytes.data(), bytes.size(), digest, &length, crypto.EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
    static constexpr char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 0x0F];
    }
    return text;
}

bool MatchesSha256(std::string_view bytes, std::string_view expected)
{
    return expected.size() == 64 && AsciiLower(expected) == Sha256Hex(bytes);
}

void TTestThread::Start(DownloadRequest request)
{
    ProgramWorkers().Start([request = std::move(request)](std::stop_token stop) { Run(request, stop); });
}

void TTestThread::Run(const DownloadRequest& request, std::stop_token stop)
{
    DownloadOutcome outcome;
    try {
        std::unique_ptr<MemoryStream> body = fetchBody(request);
        if (stop.stop_requested())
            return; // nothing saved
        if (!request.sha256.empty() && !MatchesSha256(body->View(), request.sha256))
            throw DigestMismatchError();
        outcome.savedName = SaveWithoutReplacing(request.folder, request.name, body->View());
    } catch (...) {
        try {
            throw;
        } catch (const std::exception& error) {
            ReportFetchFailure(request.url, error);
        } catch (...) {
        }
        request.outcome->Store(outcomeOf(std::current_exception()));
        platform::PostMessage(request.window, kDownloadFailedMessage, 0, 1);
        return;
    }
    request.outcome->Store(std::move(outcome));
    platform::PostMessage(request.window, kDownloadSavedMessage, 0, 1);
}

}
