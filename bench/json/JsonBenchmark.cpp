// SPDX-License-Identifier: GPL-3.0-or-later
// Parse throughput: the text is parsed into each library's own tree, which is then freed,
// once per iteration. Bytes processed are the UTF-8 document's bytes.
//
// Every case starts from the same heap, whatever ran before it: malloc's thresholds are
// fixed (left alone, glibc raises them as large blocks are freed, so a case that follows
// a large one would reuse a grown heap and one run alone would fault in fresh pages on
// every iteration), the heap is trimmed, and one untimed parse grows it to the case's
// own steady state.

#include "BenchDocuments.h"

#include "json/JsonReader.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>

#include <string>

#include <malloc.h>

namespace nimbrell::bench {
namespace {

const std::string& generated()
{
    static const std::string document = GeneratedDocument(10u << 20);
    return document;
}

const std::string& document(int which)
{
    return which == 0 ? ForecastDocument() : generated();
}

// The values glibc settles on by itself once blocks of its largest threshold have been freed.
constexpr int kMmapThreshold = 32 << 20;
constexpr int kTrimThreshold = 2 * kMmapThreshold;

template<typename Parse>
void startFromSameHeap(Parse parse)
{
    malloc_trim(0);
    parse();
}

void label(benchmark::State& state, const std::string& text)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetLabel(state.range(0) == 0 ? "forecast" : "generated 10 MB");
}

void Nimbrell(benchmark::State& state)
{
    const std::string& text = document(static_cast<int>(state.range(0)));
    auto parse = [&] {
        auto root = TxJSON::ParseText(std::string_view(text));
        if (!root)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root.get());
    };
    startFromSameHeap(parse);
    for (auto _ : state)
        parse();
    label(state, text);
}

// The same texts handed over already decoded to UTF-16.
void NimbrellUtf16(benchmark::State& state)
{
    const std::string& text = document(static_cast<int>(state.range(0)));
    std::u16string wide = Utf8ToUtf16(text);
    auto parse = [&] {
        auto root = TxJSON::ParseText(std::u16string_view(wide));
        if (!root)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root.get());
    };
    startFromSameHeap(parse);
    for (auto _ : state)
        parse();
    label(state, text);
}

void RapidJson(benchmark::State& state)
{
    const std::string& text = document(static_cast<int>(state.range(0)));
    auto parse = [&] {
        rapidjson::Document tree;
        tree.Parse(text.data(), text.size());
        if (tree.HasParseError())
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(&tree);
    };
    startFromSameHeap(parse);
    for (auto _ : state)
        parse();
    label(state, text);
}

void NlohmannJson(benchmark::State& state)
{
    const std::string& text = document(static_cast<int>(state.range(0)));
    auto parse = [&] {
        auto tree = nlohmann::json::parse(text, nullptr, false);
        if (tree.is_discarded())
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(&tree);
    };
    startFromSameHeap(parse);
    for (auto _ : state)
        parse();
    label(state, text);
}

// What the weather worker does with one document: parse, then read the eighteen members.
void NimbrellForecastRead(benchmark::State& state)
{
    const std::string& text = ForecastDocument();
    static const char16_t* const stems[] = { u"temp", u"weather", u"wind" };
    auto read = [&] {
        auto root = TxJSON::ParseText(std::string_view(text));
        const TxJSONobject* info = AsObject(AsObject(root.get())->OldGetField(u"weatherinfo"));
        for (int day = 1; day <= 6; ++day) {
            for (const char16_t* stem : stems) {
                std::u16string name = stem;
                name += static_cast<char16_t>(u'0' + day);
                benchmark::DoNotOptimize(ReadMemberText(*info, name));
            }
        }
    };
    startFromSameHeap(read);
    for (auto _ : state)
        read();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(Nimbrell)->Arg(0)->Arg(1);
BENCHMARK(NimbrellUtf16)->Arg(0)->Arg(1);
BENCHMARK(RapidJson)->Arg(0)->Arg(1);
BENCHMARK(NlohmannJson)->Arg(0)->Arg(1);
BENCHMARK(NimbrellForecastRead);

}
}

int main(int argc, char** argv)
{
    mallopt(M_MMAP_THRESHOLD, nimbrell::bench::kMmapThreshold);
    mallopt(M_TRIM_THRESHOLD, nimbrell::bench::kTrimThreshold);
    // The texts are made before any case, so that they lie in the same place for all.
    nimbrell::bench::document(0);
    nimbrell::bench::document(1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
