// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/ProxySettings.h"

#include "http/HttpError.h"
#include "base/Text.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace nimbrell {

namespace {

struct IpAddress {
    int family { AF_INET };
    unsigned char bytes[16] {};
};

// An IPv4 or IPv6 address, the latter in brackets or not.
std::optional<IpAddress> parseIp(std::string_view text)
{
    if (text.size() > 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    std::string copy(text);
    IpAddress address;
    if (inet_pton(AF_INET, copy.c_str(), address.bytes) == 1)
        return address;
    address.family = AF_INET6;
    if (inet_pton(AF_INET6, copy.c_str(), address.bytes) == 1)
        return address;
    return std::nullopt;
}

// True when the first `bits` bits of both addresses agree.
bool inRange(const IpAddress& host, const IpAddress& network, int bits)
{
    int width = host.family == AF_INET ? 32 : 128;
    if (host.family != network.family || bits < 0 || bits > width)
        return false;
    int whole = bits / 8;
    if (std::memcmp(host.bytes, network.bytes, static_cast<std::size_t>(whole)) != 0)
        return false;
    int rest = bits % 8;
    if (rest == 0)
        return true;
    auto mask = static_cast<unsigned char>(0xFF << (8 - rest));
    return (host.bytes[whole] & mask) == (network.bytes[whole] & mask);
}

std::string base64(std::string_view bytes)
{
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j)
            group = group << 8 | (j < count ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        for (std::size_t j = 0; j < 4; ++j)
            text += j <= count ? digits[group >> (18 - 6 * j) & 0x3F] : '=';
    }
    return text;
}

std::string percentDecoded(std::string_view text)
{
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F'                                   ? c - 'A' + 10
                                                                     : -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

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

const std::string& ProxySettings::addressFor(const HttpTarget& target) const
{
    static const std::string none;
    const std::string& address = target.scheme == "https" ? https : http;
    return address.empty() || BypassesProxy(target.host, noProxy) ? none : address;
}

std::optional<HttpTarget> ProxySettings::ProxyFor(const HttpTarget& target) const
{
    const std::string& address = addressFor(target);
    if (address.empty())
        return std::nullopt;
    std::string url = address.find("://") == std::string::npos ? "http://" + address : address;
    HttpTarget proxy = ResolveTarget({}, url);
    if (proxy.scheme != "http")
        throw HttpError("Only plain http proxies are supported: " + AddressWithoutCredentials(address));
    return proxy;
}

std::string ProxySettings::AuthorizationFor(const HttpTarget& target) const
{
    std::string_view address = addressFor(target);
    auto schemeEnd = address.find("://");
    if (schemeEnd != std::string_view::npos)
        address.remove_prefix(schemeEnd + 3);
    address = address.substr(0, address.find_first_of("/?#"));
    auto at = address.rfind('@');
    if (at == std::string_view::npos)
        return {};
    std::string_view userInfo = address.substr(0, at);
    auto colon = userInfo.find(':');
    std::string credentials = percentDecoded(userInfo.substr(0, colon)) + ":"
        + (colon == std::string_view::npos ? std::string() : percentDecoded(userInfo.substr(colon + 1)));
    return "Basic " + base64(credentials);
}

bool BypassesProxy(const std::string& host, const std::string& noProxy)
{
    std::string_view name = host;
    if (name.size() > 1 && name.back() == '.')
        name.remove_suffix(1);
    std::optional<IpAddress> hostAddress = parseIp(name);
    std::string_view list = noProxy;
    while (!list.empty()) {
        auto end = list.find_first_of(", ");
        auto entry = TrimAsciiWhitespace(list.substr(0, end));
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        if (entry == "*")
            return true;
        // An address range: 10.0.0.0/8, ::1/128.
        if (auto slash = entry.find('/'); slash != std::string_view::npos) {
            auto network = parseIp(entry.substr(0, slash));
            auto bits = ParseDecimalInt(entry.substr(slash + 1));
            if (network && hostAddress && bits && inRange(*hostAddress, *network, *bits))
                return true;
            continue;
        }
        // An entry's port, if any, is not told apart.
        if (entry.starts_with('[') && entry.find("]:") != std::string_view::npos)
            entry = entry.substr(0, entry.find("]:") + 1);
        auto colon = entry.rfind(':');
        if (colon != std::string_view::npos && entry.find(':') == colon)
            entry = entry.substr(0, colon);
        // An address matches whole: "0.0.1" is no suffix of 127.0.0.1.
        if (auto address = parseIp(entry)) {
            if (hostAddress && inRange(*hostAddress, *address, address->family == AF_INET ? 32 : 128))
                return true;
            continue;
        }
        if (hostAddress)
            continue;
        if (entry.starts_with("*."))
            entry.remove_prefix(1);
        if (entry.starts_with('.'))
            entry.remove_prefix(1);
        if (entry.size() > 1 && entry.back() == '.')
            entry.remove_suffix(1);
        if (!entry.empty() && HostInDomain(name, entry))
            return true;
    }
    return false;
}

}
