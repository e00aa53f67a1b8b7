// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the demo server's request-head parser: a GET's
// target is one token of the request line, never with a blank or a line break.

#include "http/HttpServer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nimbrell;
    std::string_view head(reinterpret_cast<const char*>(data), size);
    HttpServerRequest request = ParseRequestHead(head);
    if (request.kind == HttpServerRequest::Kind::Get) {
        if (!head.starts_with("GET ") || request.target.find_first_of(" \r\n") != std::string::npos)
            std::abort();
        if (request.target.size() > head.size())
            std::abort();
    } else if (!request.target.empty()) {
        std::abort();
    }
    return 0;
}
