// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of a 256 MiB loopback download into memory, our client against
// libcurl, with a Content-Length body and with a chunked one, over plain TCP
// and over TLS. The figures to compare are the bytes_per_second of each pair.
// The TLS server offers one cipher suite (TLS_AES_128_GCM_SHA256), so both
// clients use the same; its certificate is made at start and trusted through
// SSL_CERT_FILE.

#include "bench/http/BenchServer.h"
#include "bench/http/Clients.h"

#include "tests/support/TestCertificates.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>

namespace nimbrell::bench {
namespace {

test::LoopbackHttpServer& server()
{
    static test::LoopbackHttpServer instance;
    static bool routed = (RouteDownloads(instance), true);
    (void)routed;
    return instance;
}

test::LoopbackHttpServer& tlsServer()
{
    static std::string directory = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "nimbrell-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    static test::TestCertificateAuthority authority(directory);
    static test::ServerCertificate certificate = authority.Issue("bench");
    static bool trusted = (setenv("SSL_CERT_FILE", authority.CertificateFile().c_str(), 1), true);
    static test::LoopbackHttpServer instance({ certificate.certificateFile, certificate.keyFile, "TLS_AES_128_GCM_SHA256" });
    static bool routed = (RouteDownloads(instance), true);
    (void)trusted;
    (void)routed;
    return instance;
}

template<std::size_t (*Download)(const std::string&, MemoryStream&)>
void download(benchmark::State& state, const char* path, test::LoopbackHttpServer& (*host)() = server)
{
    std::string url = host().Url(path);
    for (auto _ : state) {
        MemoryStream target;
        std::size_t received = Download(url, target);
        if (received != kBodySize)
            state.SkipWithError("short body");
        benchmark::DoNotOptimize(target.Data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodySize));
}

void BM_Ours_ContentLength(benchmark::State& state) { download<DownloadWithHttpClient>(state, "/length"); }
void BM_Curl_ContentLength(benchmark::State& state) { download<DownloadWithCurl>(state, "/length"); }
void BM_Ours_Chunked(benchmark::State& state) { download<DownloadWithHttpClient>(state, "/chunked"); }
void BM_Curl_Chunked(benchmark::State& state) { download<DownloadWithCurl>(state, "/chunked"); }

void BM_Ours_TlsContentLength(benchmark::State& state) { download<DownloadWithHttpClient>(state, "/length", tlsServer); }
void BM_Curl_TlsContentLength(benchmark::State& state) { download<DownloadWithCurl>(state, "/length", tlsServer); }
void BM_Ours_TlsChunked(benchmark::State& state) { download<DownloadWithHttpClient>(state, "/chunked", tlsServer); }
void BM_Curl_TlsChunked(benchmark::State& state) { download<DownloadWithCurl>(state, "/chunked", tlsServer); }

BENCHMARK(BM_Ours_ContentLength)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Curl_ContentLength)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Ours_Chunked)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Curl_Chunked)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Ours_TlsContentLength)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Curl_TlsContentLength)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Ours_TlsChunked)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Curl_TlsChunked)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

}
}

int main(int argc, char** argv)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
