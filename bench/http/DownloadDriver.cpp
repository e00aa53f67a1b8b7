// SPDX-License-Identifier: GPL-3.0-or-later
// One download for measuring peak memory under /usr/bin/time -v:
//   http_download_driver ours|curl|worker URL
// Prints the bytes received and the seconds taken. "worker" is the update
// download worker's whole run: the fetch into memory and the file written,
// flushed and renamed into place (in a scratch folder, removed afterwards).

#include "bench/http/Clients.h"
#include "update/DownloadThread.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <stdlib.h>

namespace {

// The worker reports only by messages; here the saved file's size tells.
std::size_t downloadWithWorker(const std::string& url)
{
    std::string folder = (std::filesystem::temp_directory_path() / "nimbrell-bench-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        throw std::runtime_error("cannot create a scratch folder");
    std::string file = folder + "/download.bin";
    nimbrell::TTestThread::Run(nimbrell::DownloadRequest { url, 0, folder, "download.bin" });
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    std::filesystem::remove_all(folder);
    if (error)
        throw std::runtime_error("the worker saved nothing");
    return static_cast<std::size_t>(size);
}

}

int main(int argc, char** argv)
{
    using namespace nimbrell;
    std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "ours" && mode != "curl" && mode != "worker") {
        std::fprintf(stderr, "usage: %s ours|curl|worker URL\n", argv[0]);
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    MemoryStream target;
    auto started = std::chrono::steady_clock::now();
    std::size_t received;
    try {
        if (mode == "worker")
            received = downloadWithWorker(argv[2]);
        else if (mode == "ours")
            received = bench::DownloadWithHttpClient(argv[2], target);
        else
            received = bench::DownloadWithCurl(argv[2], target);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s %zu bytes in %.3f s (%.0f MiB/s)\n", argv[1], received, seconds, received / seconds / (1 << 20));
    curl_global_cleanup();
    return 0;
}
