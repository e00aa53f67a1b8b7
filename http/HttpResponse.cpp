// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpResponse.h"

#include "base/Text.h"

#include <charconv>

namespace nimbrell {

namespace {

// Splits "Name: value"; returns false for a line without a colon.
bool splitHeader(std::string_view line, std::string_view& name, std::string_view& value)
{
    auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    name = TrimAsciiWhitespace(line.substr(0, colon));
    value = TrimAsciiWhitespace(line.substr(colon + 1));
    return true;
}

std::int64_t parseContentLength(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return -1;
    std::int64_t value = -1;
    const char* begin = text->data();
    const char* end = begin + text->size();
    if (*begin == '+')
        ++begin;
    auto [last, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || last != end || value < 0)
        return -1;
    return value;
}

bool containsIgnoringCase(std::string_view haystack, std::string_view needle)
{
    return AsciiLower(haystack).find(AsciiLower(needle)) != std::string::npos;
}

}

std::optional<std::string> HttpResponse::Header(std::string_view wanted) const
{
    for (const auto& line : rawHeaders) {
        std::string_view name, value;
        if (splitHeader(line, name, value) && EqualsIgnoringAsciiCase(name, wanted))
            return std::string(value);
    }
    return std::nullopt;
}

std::vector<std::string> HttpResponse::HeaderValues(std::string_view wanted) const
{
    std::vector<std::string> values;
    for (const auto& line : rawHeaders) {
        std::string_view name, value;
        if (splitHeader(line, name, value) && EqualsIgnoringAsciiCase(name, wanted))
            values.emplace_back(value);
    }
    return values;
}

bool HttpResponse::IsChunked() const
{
    return containsIgnoringCase(transferEncoding, "chunked");
}

bool HttpResponse::AllowsKeepAlive() const
{
    return !EqualsIgnoringAsciiCase(TrimAsciiWhitespace(connection), "close")
        && !EqualsIgnoringAsciiCase(TrimAsciiWhitespace(proxyConnection), "close");
}

void HttpResponse::ParseHeaderFields()
{
    contentLength = parseContentLength(Header("Content-Length"));
    transferEncoding = Header("Transfer-Encoding").value_or("");
    connection = Header("Connection").value_or("");
    proxyConnection = Header("Proxy-Connection").value_or("");
    location = Header("Location").value_or("");
    contentType = Header("Content-Type").value_or("");
}

}
