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
    // The Host header: the host alone for http on port 80, else host:port.
    std::string HostHeader() const;
};

// Resolves `url` against `current` (an empty current target for the first
// request). Throws HttpError for a scheme other than http, a missing host or
// an unreadable port.
HttpTarget ResolveTarget(const HttpTarget& current, std::string_view url);

}
