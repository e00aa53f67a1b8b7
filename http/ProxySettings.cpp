#include "http/ProxySettings.h"

#include "http/HttpError.h"
#include "base/Text.h"

#include <cstdlib>

namespace nimbrell {

namespace {

std::string environment(const char* lowerName, const char* upperName)
{
    for (const char* name : { lowerName, upperName }) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

}

ProxySettings ProxySettings::FromEnvironment()
{
    return { environment("http_proxy", "HTTP_PROXY"), environment("https_proxy", "HTTPS_PROXY"),
        environment("no_proxy", "NO_PROXY") };
}

std::optional<HttpTarget> ProxySettings::ProxyFor(const HttpTarget& target) const
{
    const std::string& address = target.scheme == "https" ? https : http;
    if (address.empty() || BypassesProxy(target.host, noProxy))
        return std::nullopt;
    std::string url = address.find("://") == std::string::npos ? "http://" + address : address;
    HttpTarget proxy = ResolveTarget({}, url);
    if (proxy.scheme != "http")
        throw HttpError("Only plain http proxies are supported: " + address);
    return proxy;
}

bool BypassesProxy(const std::string& host, const std::string& noProxy)
{
    std::string_view list = noProxy;
    while (!list.empty()) {
        auto end = list.find_first_of(", ");
        auto entry = TrimAsciiWhitespace(list.substr(0, end));
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        if (entry == "*")
            return true;
        if (entry.starts_with("*."))
            entry.remove_prefix(1);
        if (entry.starts_with('.'))
            entry.remove_prefix(1);
        // An entry's port, if any, is not told apart.
        auto colon = entry.rfind(':');
        if (colon != std::string_view::npos && entry.find(':') == colon)
            entry = entry.substr(0, colon);
        if (entry.empty())
            continue;
        if (HostInDomain(host, entry))
            return true;
    }
    return false;
}

}
