// SPDX-License-Identifier: GPL-3.0-or-later
// Canvas primitives and whole frames of the test panel scene (320 × 200 at scale 2).

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/visual/TvxVisualObject.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "bench/render/WidgetFrame.h"
#include "scene/host/TvxCustomScene.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using namespace nimbrell;

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void BM_FillRoundedRect(benchmark::State& state)
{
    TvxBitmap target(320, 200);
    TvxCanvas& canvas = target.Canvas();
    canvas.Fill().SetSolidColor(0xFF336699);
    for (auto _ : state)
        canvas.FillRect({ 10, 10, 310, 190 }, 8, 8, kAllCorners, 0.9f);
}
BENCHMARK(BM_FillRoundedRect);

void BM_FillGradientRect(benchmark::State& state)
{
    TvxBitmap target(320, 200);
    TvxCanvas& canvas = target.Canvas();
    canvas.Fill().SetStyle(TvxBrushStyle::vgBrushGradient);
    for (auto _ : state)
        canvas.FillRect({ 0, 0, 320, 200 }, 0, 0, kAllCorners, 1);
}
BENCHMARK(BM_FillGradientRect);

void BM_FillText(benchmark::State& state)
{
    TvxBitmap target(320, 40);
    TvxCanvas& canvas = target.Canvas();
    canvas.Font().SetSize(14);
    for (auto _ : state)
        canvas.FillText({ 0, 0, 320, 40 }, {}, "北京 晴转多云 3~-5℃ 北风3-4级", false, 1);
}
BENCHMARK(BM_FillText);

void BM_PanelFrame(benchmark::State& state)
{
    RegisterSceneShapeClasses();
    std::filesystem::path data = NIMBRELL_RENDER_BENCH_SCENE;
    std::vector<std::uint8_t> source = ReadFile(data / "panel.txt");
    std::string text(source.begin(), source.end());
    auto binary = ObjectTextToBinary(text, [&](std::string_view name) { return ReadFile(data / std::string(name)); });
    ComponentPtr<TvxObject> root(CreateObjectFromStream(binary, nullptr));
    root->Visual()->Scale().SetPoint({ 2, 2 });
    TvxCustomScene scene(320, 200);
    scene.SetTransparency(true);
    scene.AddObject(root.get());
    for (auto _ : state)
        scene.DrawAll();
    scene.RemoveObject(root.get());
}
BENCHMARK(BM_PanelFrame)->Unit(benchmark::kMicrosecond);

// The widget's window size with 40 shapes and texts: the whole frame, and a frame
// that repaints only a 100 × 30 area.
void BM_WidgetSizedFullFrame(benchmark::State& state)
{
    auto scene = bench::MakeWidgetSizedScene();
    for (auto _ : state) {
        scene->AddUpdateRect({ 0, 0, 65535, 65535 });
        scene->Draw();
    }
}
BENCHMARK(BM_WidgetSizedFullFrame)->Unit(benchmark::kMillisecond);

void BM_WidgetSizedDirtyFrame(benchmark::State& state)
{
    auto scene = bench::MakeWidgetSizedScene();
    for (auto _ : state) {
        scene->AddUpdateRect(bench::DirtyRect);
        scene->Draw();
    }
}
BENCHMARK(BM_WidgetSizedDirtyFrame)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
