// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/http/Clients.h"

#include "http/HttpClient.h"

#include <cstdlib>
#include <curl/curl.h>
#include <stdexcept>

namespace nimbrell::bench {

std::size_t DownloadWithHttpClient(const std::string& url, MemoryStream& target)
{
    HttpClient client;
    client.SetMaxBodySize(std::int64_t(1) << 30);
    client.Get(url, target);
    client.Disconnect();
    return static_cast<std::size_t>(target.Size());
}

namespace {

struct CurlSink {
    CURL* handle;
    MemoryStream* target;
    bool sized { false };
};

// Grows the buffer to the announced length once, as our client does.
std::size_t writeToStream(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* sink = static_cast<CurlSink*>(user);
    if (!sink->sized) {
        sink->sized = true;
        curl_off_t length = -1;
        if (curl_easy_getinfo(sink->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length > 0) {
            auto position = sink->target->Position();
            sink->target->SetSize(position + length);
            sink->target->Seek(position);
        }
    }
    sink->target->Write(data, size * count);
    return size * count;
}

}

std::size_t DownloadWithCurl(const std::string& url, MemoryStream& target)
{
    CURL* handle = curl_easy_init();
    if (!handle)
        throw std::runtime_error("curl_easy_init failed");
    CurlSink sink { handle, &target };
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeToStream);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "identity");
    // The library does not read OpenSSL's variable itself; our client does.
    if (const char* authority = std::getenv("SSL_CERT_FILE"))
        curl_easy_setopt(handle, CURLOPT_CAINFO, authority);
    CURLcode result = curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    if (result != CURLE_OK)
        throw std::runtime_error(curl_easy_strerror(result));
    return static_cast<std::size_t>(target.Size());
}

}
