// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpError.h"

#include "base/Text.h"

#include <cstdio>

namespace nimbrell {

SocketError::SocketError(int code, const std::string& systemText)
    : HttpError(Format("Socket Error # %d\r\n%s", code, systemText.c_str()))
    , m_code(code)
{
}

ReadTimeoutError::ReadTimeoutError()
    : HttpError(HttpMessages::kReadTimedOut)
{
}

DeadlineError::DeadlineError()
    : HttpError(HttpMessages::kDeadlinePassed)
{
}

ConnectionClosedError::ConnectionClosedError()
    : HttpError(HttpMessages::kConnectionClosedGracefully)
{
}

std::string AddressWithoutCredentials(std::string_view url)
{
    auto schemeEnd = url.find("://");
    std::size_t authority = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
    auto authorityEnd = url.find_first_of("/?#", authority);
    auto at = url.substr(0, authorityEnd).rfind('@');
    if (at == std::string_view::npos || at < authority)
        return std::string(url);
    return std::string(url.substr(0, authority)) + std::string(url.substr(at + 1));
}

std::string FetchFailureLine(std::string_view url, const std::exception& error)
{
    std::string reason;
    if (const auto* status = dynamic_cast<const HttpStatusError*>(&error))
        reason = "status " + std::to_string(status->Code()) + " (" + status->StatusLine() + ")";
    else
        reason = error.what();
    for (std::size_t at; (at = reason.find("\r\n")) != std::string::npos;)
        reason.replace(at, 2, ": ");
    std::string line = "nimbrell: fetching " + AddressWithoutCredentials(url.substr(0, 500)) + " failed: " + reason;
    // One line, whatever the server or the system put in the text.
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return line + "\n";
}

void ReportFetchFailure(std::string_view url, const std::exception& error)
{
    std::string line = FetchFailureLine(url, error);
    // One write, so that lines of workers failing together do not interleave.
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}
