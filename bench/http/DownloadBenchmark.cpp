// Throughput of a 256 MiB loopback download into memory, our client against
// libcurl, with a Content-Length body and with a chunked one. The figures to
// compare are the bytes_per_second of each pair.

#include "bench/http/BenchServer.h"
#include "bench/http/Clients.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

namespace nimbrell::bench {
namespace {

test::LoopbackHttpServer& server()
{
    static test::LoopbackHttpServer instance;
    static bool routed = (RouteDownloads(instance), true);
    (void)routed;
    return instance;
}

template<std::size_t (*Download)(const std::string&, MemoryStream&)>
void download(benchmark::State& state, const char* path)
{
    std::string url = server().Url(path);
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

BENCHMARK(BM_Ours_ContentLength)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Curl_ContentLength)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Ours_Chunked)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_Curl_Chunked)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

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
