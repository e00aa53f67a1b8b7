#pragma once

// Which proxy a request goes through, by the usual environment convention:
// https_proxy for https addresses, http_proxy for http ones (either case, the
// lower-case name first), no_proxy naming the hosts reached directly.

#include "http/HttpTarget.h"

#include <optional>
#include <string>

namespace nimbrell {

struct ProxySettings {
    std::string http;    // "[http://]host[:port]" or empty
    std::string https;   // likewise
    std::string noProxy; // comma- or blank-separated host names and suffixes; "*" for all

    static ProxySettings FromEnvironment();

    // The proxy for `target` (scheme "http", its host and port), or nothing
    // when the target is reached directly. Throws HttpError for a proxy
    // address that cannot be read.
    std::optional<HttpTarget> ProxyFor(const HttpTarget& target) const;
};

// True when `noProxy` names `host`: the host itself, or a domain it lies in.
bool BypassesProxy(const std::string& host, const std::string& noProxy);

}
