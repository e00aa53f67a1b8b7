// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the benchmark downloads on loopback for the memory measurement:
// prints the port, then serves until its standard input closes, at most
// ten minutes.

#include "bench/http/BenchServer.h"

#include <chrono>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

int main()
{
    nimbrell::test::LoopbackHttpServer server;
    nimbrell::bench::RouteDownloads(server);
    std::printf("%u\n", server.Port());
    std::fflush(stdout);
    pollfd input { STDIN_FILENO, POLLIN, 0 };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (poll(&input, 1, 1000) > 0) {
            char byte;
            if (read(STDIN_FILENO, &byte, 1) <= 0)
                break;
        }
    }
    return 0;
}
