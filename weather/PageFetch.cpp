// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/PageFetch.h"

#include "base/Utf.h"
#include "http/HttpClient.h"
#include "http/HttpError.h"
#include "weather/TextEncoding.h"

#include <memory>

namespace nimbrell {

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; .NET CLR 2.0.50727)";

}

std::string ServiceUserAgent()
{
    return "Nimbrell/" NIMBRELL_VERSION " (+https://nimbrell.example.org/)";
}

std::string FetchPage(std::string_view url, PageEncoding mode, const PageFetchOptions& options)
{
    auto buffer = std::make_unique<MemoryStream>();
    auto client = std::make_unique<HttpClient>();
    DisconnectOnExit disconnect { *client };

    client->SetReadTimeout(options.readTimeoutMs);
    client->SetConnectTimeout(options.connectTimeoutMs);
    client->SetDeadline(options.deadlineMs);
    client->SetProxy(ProxySettings::FromEnvironment());
    client->SetCacheControl("no-cache");
    client->SetFollowRedirects(true);
    client->SetUserAgent(options.userAgent.empty() ? kUserAgent : options.userAgent);
    client->SetMaxBodySize(options.maxBodySize);

    try {
        client->Get(url, *buffer);
    } catch (const std::exception& error) {
        ReportFetchFailure(url, error);
        throw;
    }
    if (mode == PageEncoding::Utf8)
        return SanitizeUtf8(buffer->View());
    return DecodeSystemCodePage(buffer->View());
}

}
