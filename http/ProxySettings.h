// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Which proxy a request goes through, by the usual environment convention:
// https_proxy for https addresses, http_proxy for http ones (either case, the
// lower-case name first), no_proxy naming the hosts reached directly.

#include "http/HttpTarget.h"

#include <optional>
#include <string>

namespace nimbrell {

struct ProxySettings {
    std::string http;  // "[http://][user[:password]@]host[:port]" or empty
    std::string https; // likewise
    // Comma- or blank-separated host names and domains (a trailing dot
    // ignored), whole IP addresses and CIDR ranges ("10.0.0.0/8", "::1/128");
    // "*" for all.
    std::string noProxy;

    static ProxySettings FromEnvironment();

    // The proxy for `target` (scheme "http", its host and port), or nothing
    // when the target is reached directly. Throws HttpError for a proxy
    // address that cannot be read.
    std::optional<HttpTarget> ProxyFor(const HttpTarget& target) const;
    // The Proxy-Authorization value ("Basic ...") for the proxy of `target`,
    // from its address's user information, percent-decoded; empty without
    // one. It goes to that proxy only, never to the server behind it.
    std::string AuthorizationFor(const HttpTarget& target) const;

private:
    // The proxy address `target` goes through; empty when reached directly.
    const std::string& addressFor(const HttpTarget& target) const;
};

// True when `noProxy` names `host`: the host itself, a domain it lies in, its
// address or a range holding it.
bool BypassesProxy(const std::string& host, const std::string& noProxy);

}
