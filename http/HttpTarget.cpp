// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpTarget.h"

#include "http/HttpError.h"
#include "base/Text.h"

#include <algorithm>
#include <vector>

namespace nimbrell {

namespace {

struct UrlParts {
    std::string scheme;
    bool hasHost { false };
    std::string host;
    std::string port;
    bool hasPath { false };
    std::string path; // up to and including the last "/"
    std::string document;
    bool hasQuery { false };
    std::string query;
};

UrlParts splitUrl(std::string_view url)
{
    UrlParts parts;
    url = TrimAsciiWhitespace(url);
    url = url.substr(0, url.find('#'));

    auto schemeEnd = url.find("://");
    auto firstDelimiter = url.find_first_of("/?");
    if (schemeEnd != std::string_view::npos && schemeEnd < firstDelimiter) {
        parts.scheme = AsciiLower(url.substr(0, schemeEnd));
        url.remove_prefix(schemeEnd + 3);
        parts.hasHost = true;
    } else if (url.starts_with("//")) {
        url.remove_prefix(2);
        parts.hasHost = true;
    }

    if (parts.hasHost) {
        auto authorityEnd = url.find_first_of("/?");
        auto authority = url.substr(0, authorityEnd);
        url = authorityEnd == std::string_view::npos ? std::string_view() : url.substr(authorityEnd);
        auto at = authority.rfind('@');
        if (at != std::string_view::npos)
            authority.remove_prefix(at + 1);
        auto colon = authority.rfind(':');
        if (colon != std::string_view::npos) {
            parts.port = std::string(authority.substr(colon + 1));
            authority = authority.substr(0, colon);
        }
        parts.host = std::string(authority);
    }

    auto question = url.find('?');
    if (question != std::string_view::npos) {
        parts.hasQuery = true;
        parts.query = std::string(url.substr(question + 1));
        url = url.substr(0, question);
    }
    auto lastSlash = url.rfind('/');
    if (lastSlash != std::string_view::npos) {
        parts.hasPath = true;
        parts.path = std::string(url.substr(0, lastSlash + 1));
        url.remove_prefix(lastSlash + 1);
    }
    parts.document = std::string(url);
    return parts;
}

// Removes "." and ".." segments from a path that begins and ends with "/".
std::string normalizePath(std::string_view path)
{
    std::vector<std::string_view> segments;
    std::size_t start = 1;
    while (start < path.size()) {
        auto end = std::min(path.find('/', start), path.size());
        auto segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string result = "/";
    for (auto segment : segments) {
        result += segment;
        result += '/';
    }
    return result;
}

std::uint16_t parsePort(const std::string& text)
{
    if (text.empty() || text.size() > 5)
        throw HttpError(Format("Invalid port \"%s\".", text.c_str()));
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw HttpError(Format("Invalid port \"%s\".", text.c_str()));
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535)
        throw HttpError(Format("Invalid port \"%s\".", text.c_str()));
    return static_cast<std::uint16_t>(value);
}

void appendEncoded(std::string& out, std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte > 0x7F) {
            out += '?';
        } else if (byte <= 0x20 || byte == 0x7F) {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
}

}

std::uint16_t DefaultPort(std::string_view scheme)
{
    return scheme == "https" ? 443 : 80;
}

bool HostInDomain(std::string_view host, std::string_view domain)
{
    if (EqualsIgnoringAsciiCase(host, domain))
        return true;
    return host.size() > domain.size() && host[host.size() - domain.size() - 1] == '.'
        && EqualsIgnoringAsciiCase(host.substr(host.size() - domain.size()), domain);
}

std::string HttpTarget::RequestTarget() const
{
    std::string out;
    appendEncoded(out, path);
    appendEncoded(out, document);
    if (!query.empty()) {
        out += '?';
        appendEncoded(out, query);
    }
    return out;
}

std::string HttpTarget::HostHeader() const
{
    if (port == DefaultPort(scheme))
        return host;
    return host + ":" + std::to_string(port);
}

HttpTarget ResolveTarget(const HttpTarget& current, std::string_view url)
{
    UrlParts parts = splitUrl(url);
    HttpTarget target;
    target.scheme = !parts.scheme.empty() ? parts.scheme : !current.scheme.empty() ? current.scheme
                                                                                   : "http";
    if (target.scheme != "http" && target.scheme != "https")
        throw HttpError(Format("Unsupported URL scheme \"%s\".", target.scheme.c_str()));

    if (parts.hasHost) {
        target.host = parts.host;
        target.port = parts.port.empty() ? DefaultPort(target.scheme) : parsePort(parts.port);
    } else {
        target.host = current.host;
        target.port = current.port != 0 ? current.port : DefaultPort(target.scheme);
    }
    if (target.host.empty())
        throw HttpError("The URL has no host.");
    for (char c : target.host) {
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            throw HttpError("The URL's host is not valid.");
    }

    if (parts.hasHost) {
        target.path = normalizePath(parts.hasPath ? parts.path : "/");
        target.document = parts.document;
        target.query = parts.query;
        return target;
    }
    if (!parts.hasPath && parts.document.empty()) {
        // Only a query, or nothing: stay on the current document.
        target.path = current.path.empty() ? "/" : current.path;
        target.document = current.document;
        target.query = parts.hasQuery ? parts.query : current.query;
        return target;
    }
    std::string base = current.path.empty() ? "/" : current.path;
    std::string merged = parts.path.starts_with('/') ? parts.path : base + parts.path;
    target.path = normalizePath(merged);
    target.document = parts.document;
    target.query = parts.query;
    return target;
}

}
