// SPDX-License-Identifier: GPL-3.0-or-later
// Object streams and the property table on a tree the size of a style sheet and more.

#include "bench/support/AllocationCounter.h"
#include "scene/core/ObjectStream.h"
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBrushObject.h"

#include <benchmark/benchmark.h>

using namespace nimbrell;

using nimbrell::bench::allocatedBytes;

namespace {

TvxObject* makeTree(int count)
{
    RegisterSceneRenderClasses();
    auto* root = new TvxObject(nullptr);
    for (int i = 0; i < count; ++i) {
        auto* holder = new TvxBrushObject(root);
        holder->SetResourceName("brush" + std::to_string(i));
        TvxBrush& brush = holder->Brush();
        brush.SetStyle(TvxBrushStyle::vgBrushGradient);
        brush.Gradient().Points()[0].SetColor("#FF505050");
        brush.Gradient().Points()[1].SetOffset(0.75f);
        brush.Gradient().StopPosition().SetPoint({ 1, 0.5f });
        root->AddObject(holder);
    }
    return root;
}

void BM_WriteTree(benchmark::State& state)
{
    TvxObject* root = makeTree(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> out;
        root->SaveToBinStream(out);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    root->Free();
}
BENCHMARK(BM_WriteTree)->Arg(100)->Arg(1000);

void BM_ReadTree(benchmark::State& state)
{
    TvxObject* root = makeTree(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> stream;
    root->SaveToBinStream(stream);
    root->Free();
    for (auto _ : state) {
        TvxObject* made = CreateObjectFromStream(stream, nullptr);
        benchmark::DoNotOptimize(made);
        made->Free();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(stream.size()) * state.iterations());
}
BENCHMARK(BM_ReadTree)->Arg(100)->Arg(1000);

void BM_Clone(benchmark::State& state)
{
    TvxObject* root = makeTree(50);
    for (auto _ : state) {
        TvxObject* copy = root->Clone(nullptr);
        benchmark::DoNotOptimize(copy);
        copy->Free();
    }
    root->Free();
}
BENCHMARK(BM_Clone);

// A style-sized tree: a root and 499 brush holders, each with its brush, gradient
// and gradient points.
void BM_CloneStyleTree(benchmark::State& state)
{
    constexpr int objects = 500;
    TvxObject* root = makeTree(objects - 1);
    std::size_t allocated = 0;
    for (auto _ : state) {
        std::size_t before = allocatedBytes.load();
        TvxObject* copy = root->Clone(nullptr);
        allocated = allocatedBytes.load() - before;
        benchmark::DoNotOptimize(copy);
        copy->Free();
    }
    state.counters["objects/s"] = benchmark::Counter(double(objects) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes allocated/object"] = double(allocated) / objects;
    root->Free();
}
BENCHMARK(BM_CloneStyleTree);

// Reading a stream of about 1 MB.
void BM_ReadMegabyteStream(benchmark::State& state)
{
    int holders = 1;
    std::vector<std::uint8_t> stream;
    for (;;) {
        TvxObject* root = makeTree(holders);
        stream.clear();
        root->SaveToBinStream(stream);
        root->Free();
        if (stream.size() >= (1u << 20))
            break;
        holders = static_cast<int>(double(holders) * double(1u << 20) / double(stream.size())) + 1;
    }
    std::size_t allocated = 0;
    for (auto _ : state) {
        std::size_t before = allocatedBytes.load();
        TvxObject* made = CreateObjectFromStream(stream, nullptr);
        allocated = allocatedBytes.load() - before;
        benchmark::DoNotOptimize(made);
        made->Free();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(stream.size()) * state.iterations());
    state.counters["objects/s"] = benchmark::Counter(double(holders + 1) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes allocated/object"] = double(allocated) / (holders + 1);
    state.counters["stream bytes"] = double(stream.size());
}
BENCHMARK(BM_ReadMegabyteStream);

void BM_FindProperty(benchmark::State& state)
{
    const ClassInfo& info = TvxBrushObject::StaticClass();
    const char* names[] = { "brush", "ResourceName", "BINDINGNAME", "Index", "Nothing" };
    for (auto _ : state) {
        for (const char* name : names)
            benchmark::DoNotOptimize(info.FindProperty(name));
    }
    state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_FindProperty);

void BM_ResolvePath(benchmark::State& state)
{
    TvxObject* root = makeTree(1);
    TvxObject* holder = root->Child(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ResolvePropertyPath(*holder, "Brush.Gradient.StopPosition.Y"));
    root->Free();
}
BENCHMARK(BM_ResolvePath);

}

BENCHMARK_MAIN();
