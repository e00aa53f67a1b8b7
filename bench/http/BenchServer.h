// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The loopback answers both download benchmarks fetch: a 256 MiB body with a
// Content-Length at "/length", and the same bytes as 32 KiB chunks at "/chunked".

#include "tests/support/LoopbackHttpServer.h"

#include <cstddef>
#include <string>

namespace nimbrell::bench {

inline constexpr std::size_t kBodySize = std::size_t(256) << 20;

inline void RouteDownloads(test::LoopbackHttpServer& server, std::size_t bodySize = kBodySize)
{
    std::string block(65536, 'x');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>('a' + i % 26);
    server.Route("/length",
        test::Reply::Head(200, "OK", { "Content-Length: " + std::to_string(bodySize) }).SendForever(block, bodySize));

    constexpr std::size_t chunk = 32768;
    std::string frame = "8000\r\n" + block.substr(0, chunk) + "\r\n";
    server.Route("/chunked",
        test::Reply::Head(200, "OK", { "Transfer-Encoding: chunked" })
            .SendForever(frame, bodySize / chunk * frame.size())
            .Send("0\r\n\r\n"));
}

}
