// Object streams and the property table on a tree the size of a style sheet and more.

#include "scene/core/ObjectStream.h"
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBrushObject.h"

#include <benchmark/benchmark.h>

using namespace nimbrell;

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
