// SPDX-License-Identifier: GPL-3.0-or-later
// Each keystroke runs one search over all places; the target is well under
// 5 ms a keystroke. Building the index (once per settings window) is measured
// too.

#include "data/CityDatabase.h"
#include "data/PlaceSearch.h"
#include "data/ResourceFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace nimbrell;

namespace {

// The extracted database, removed when the program ends.
struct ExtractedDatabase {
    std::string path = (std::filesystem::temp_directory_path() / ("nimbrell-bench-" + std::to_string(getpid()) + ".db")).string();
    ExtractedDatabase() { ExtractResourceFile("Nimbrell", "exefile", path); }
    ~ExtractedDatabase() { std::filesystem::remove(path); }
};

std::string databaseFile()
{
    static const ExtractedDatabase file;
    return file.path;
}

const PlaceSearch& search()
{
    static CityDatabase database(databaseFile());
    static const PlaceSearch index = PlaceSearch::FromDatabase(database);
    return index;
}

// Every prefix of the typed text, as the box sees it key by key.
void typing(benchmark::State& state, const std::string& typed)
{
    const PlaceSearch& index = search();
    for (auto _ : state) {
        for (std::size_t length = 1; length <= typed.size(); ++length)
            benchmark::DoNotOptimize(index.Find(std::string_view(typed).substr(0, length)));
    }
    state.counters["keystroke"] = benchmark::Counter(static_cast<double>(state.iterations() * typed.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["places"] = static_cast<double>(index.Size());
}

void BM_TypeFullReading(benchmark::State& state)
{
    typing(state, "ha er bin");
}
BENCHMARK(BM_TypeFullReading);

void BM_TypeInitials(benchmark::State& state)
{
    typing(state, "heb");
}
BENCHMARK(BM_TypeInitials);

void BM_TypeCharacters(benchmark::State& state)
{
    // Whole characters: each is one keystroke of the input method.
    const PlaceSearch& index = search();
    for (auto _ : state) {
        for (const char* typed : { "哈", "哈尔", "哈尔滨" })
            benchmark::DoNotOptimize(index.Find(typed));
    }
    state.counters["keystroke"] = benchmark::Counter(static_cast<double>(state.iterations() * 3),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TypeCharacters);

void BM_BuildIndex(benchmark::State& state)
{
    CityDatabase database(databaseFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(PlaceSearch::FromDatabase(database));
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
