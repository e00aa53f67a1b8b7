// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The download worker: fetches the offered build into memory, checks it and
// stores it beside the files of its folder, never over one, telling the
// update window by posted messages (wParam 0):
//   2025, percent  progress of a 2xx body whose length was declared
//   2026, 1        the download, the check or the saving failed
//   2027, 1        the file is complete on disk
// Before 2026 and 2027 the worker leaves why it failed, or the name it saved
// under, in the request's DownloadOutcomeSlot. One worker per download; it
// ends by itself. Posts to a window that has closed meanwhile are dropped,
// and the file is still stored.

#include "base/LockedSlot.h"
#include "platform/Message.h"

#include <stop_token>
#include <cstdint>
#include <memory>
#include <string>

namespace nimbrell {

inline constexpr std::uint32_t kDownloadProgressMessage = 2025;
inline constexpr std::uint32_t kDownloadFailedMessage = 2026;
inline constexpr std::uint32_t kDownloadSavedMessage = 2027;

struct DownloadOptions {
    // Each wait for data; a connect attempt or TLS handshake wait; the whole
    // download (a server trickling bytes cannot hold the worker forever).
    int readTimeoutMs { 30000 };
    int connectTimeoutMs { 10000 };
    int deadlineMs { 60 * 60 * 1000 };
    // A larger body, declared or received, is refused before it is stored.
    std::int64_t maxBodySize { std::int64_t(512) << 20 };
};

// Why a download failed, as the update window tells it.
enum class DownloadFailure {
    None,
    RefusedName,       // the offered name may not be stored (checked before any download)
    Connection,        // no connection: the name did not resolve, refused, reset
    TimedOut,          // a wait for data, the connect or the whole download took too long
    HttpStatus,        // the server answered with an error or a redirect
    Incomplete,        // the body was cut short or its length was not declared
    Certificate,       // the TLS handshake or the server's certificate failed
    TooLarge,          // the body is larger than the download allows
    DigestMismatch,    // the body is not the one the offer's digest names
    FolderNotWritable, // the folder cannot be written, or belongs to another user
    WriteFailed,       // writing the file failed (a full disk)
};

struct DownloadOutcome {
    DownloadFailure failure { DownloadFailure::None };
    int httpStatus { 0 };  // with HttpStatus
    std::string savedName; // after a save: the offered name, or a fresh one beside a file of that name
};

// Where the worker leaves its outcome before it posts 2026 or 2027.
using DownloadOutcomeSlot = LockedSlot<DownloadOutcome>;

struct DownloadRequest {
    std::string url;
    platform::HWND window { 0 };
    std::string folder;    // where the file goes, without a trailing separator
    std::string name;      // the offered plain file name, checked by the caller
    std::string sha256 {}; // hexadecimal digest the body must have; empty: none
    DownloadOptions options {};
    std::shared_ptr<DownloadOutcomeSlot> outcome { std::make_shared<DownloadOutcomeSlot>() };
};

// ceiling(count / expected × 100); expected must be above 0.
int DownloadPercent(std::int64_t count, std::int64_t expected);

// The SHA-256 digest of `bytes` in lower-case hexadecimal.
std::string Sha256Hex(std::string_view bytes);

// True when `expected` is 64 hexadecimal digits (either case) naming the digest of `bytes`.
bool MatchesSha256(std::string_view bytes, std::string_view expected);

class TTestThread {
public:
    // Starts the worker on a thread of its own; nothing is kept of it.
    static void Start(DownloadRequest request);
    // The worker's whole run on the calling thread.
    // A stopped worker hands nothing back (see WorkerSet).
    static void Run(const DownloadRequest& request, std::stop_token stop = {});
};

}
