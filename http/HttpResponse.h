// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the client keeps of one response: status, raw header lines and the
// headers it acts on.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

struct HttpResponse {
    std::string statusLine;
    int statusCode { -1 };
    std::string version; // up to five characters after "HTTP/", ending at a blank
    // "Name: value" lines as received, continuation lines folded in; trailers of
    // a chunked body are appended after the body is read.
    std::vector<std::string> rawHeaders;

    std::int64_t contentLength { -1 }; // -1 when absent or unreadable
    std::string transferEncoding;
    std::string connection;
    std::string proxyConnection;
    std::string location;
    std::string contentType;

    // The value of the first header line of that name (ASCII case ignored), trimmed.
    std::optional<std::string> Header(std::string_view name) const;
    // Every value of that name, in order of arrival.
    std::vector<std::string> HeaderValues(std::string_view name) const;

    bool IsChunked() const;
    bool HasLocation() const { return Header("Location").has_value(); }
    // Neither Connection nor Proxy-Connection says "close".
    bool AllowsKeepAlive() const;

    // Fills the parsed fields from rawHeaders.
    void ParseHeaderFields();
};

}
