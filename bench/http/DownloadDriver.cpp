// One download for measuring peak memory under /usr/bin/time -v:
//   http_download_driver ours|curl URL
// Prints the bytes received and the seconds taken.

#include "bench/http/Clients.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <exception>

int main(int argc, char** argv)
{
    using namespace nimbrell;
    if (argc != 3 || (std::strcmp(argv[1], "ours") != 0 && std::strcmp(argv[1], "curl") != 0)) {
        std::fprintf(stderr, "usage: %s ours|curl URL\n", argv[0]);
        return 2;
    }
    bool ours = std::strcmp(argv[1], "ours") == 0;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    MemoryStream target;
    auto started = std::chrono::steady_clock::now();
    std::size_t received;
    try {
        received = ours ? bench::DownloadWithHttpClient(argv[2], target) : bench::DownloadWithCurl(argv[2], target);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s %zu bytes in %.3f s (%.0f MiB/s)\n", argv[1], received, seconds, received / seconds / (1 << 20));
    curl_global_cleanup();
    return 0;
}
