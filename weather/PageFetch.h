// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one call through which the workers fetch a document as text.

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrell {

enum class PageEncoding {
    Utf8,           // the forecast document
    SystemCodePage, // the update document: GBK
};

struct PageFetchOptions {
    // Each wait for data; a connect attempt or TLS handshake wait; the whole
    // fetch, redirects included (so a server that trickles a byte now and
    // then within the read time-out still cannot hold a worker for long).
    int readTimeoutMs { 9000 };
    int connectTimeoutMs { 10000 };
    int deadlineMs { 30000 };
    // Documents are small; anything larger is refused rather than buffered.
    std::int64_t maxBodySize { std::int64_t(16) << 20 };
    // Empty: the classic document's browser agent.
    std::string userAgent {};
};

// What the program calls itself to the services it asks by position.
std::string ServiceUserAgent();

// Fetches an absolute http or https address with the fixed request options
// (no-cache, redirects followed, the browser user agent, the proxy the
// environment names) and returns the body decoded into UTF-8 text. A failure
// is also told on standard error, one line with the address and the reason. Blocks; call it on a worker thread. Throws the client's
// errors (HttpError and its kinds) when the fetch fails.
std::string FetchPage(std::string_view url, PageEncoding mode, const PageFetchOptions& options = {});

}
