// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The address a request goes to, and how a URL or a redirect's Location moves it.

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrell {

struct HttpTarget {
    std::string scheme; // lower case
    std::string host;
    std::uint16_t port { 0 };
    std::string path { "/" }; // always begins and ends with "/"
    std::string document;
    std::string query; // without the "?"

    // path + document, and "?" + query when there is one; bytes that would
    // break the request line are percent-encoded, non-ASCII become '?'.
    std::string RequestTarget() const;
    // The Host header: the host alone on the scheme's default port, else host:port.
    std::string HostHeader() const;
};

// 443 for https, 80 otherwise.
std::uint16_t DefaultPort(std::string_view scheme);

// True when `host` is `domain` or lies in it ("a.example.org" in "example.org"),
// ASCII case ignored.
bool HostInDomain(std::string_view host, std::string_view domain);

// Resolves `url` against `current` (an empty current target for the first
// request). Throws HttpError for a scheme other than http and https, a
// missing host or an unreadable port.
HttpTarget ResolveTarget(const HttpTarget& current, std::string_view url);

}
