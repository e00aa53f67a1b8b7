// SPDX-License-Identifier: GPL-3.0-or-later
// A full frame of the widget's shadowed text panel: 226 × 120, a layout with a shadow
// holding two lines of text. Cached: the shadow image is reused. Rerendered: the text
// changes every frame, so the layout is rendered off-screen, tinted, blurred and cut.

#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxCanvas.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "scene/shapes/StackBlur.h"
#include "scene/shapes/TvxBitmapEffects.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxText.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace nimbrell;

namespace {

struct Panel {
    Panel()
    {
        RegisterSceneShapeClasses();
        scene = std::make_unique<TvxCustomScene>(226, 120);
        scene->SetTransparency(true);
        root = new TvxLayout(nullptr);
        scene->AddObject(root);
        layout = new TvxLayout(nullptr);
        layout->SetBounds(0, 87, 226, 35);
        root->AddObject(layout);
        text = new TvxText(nullptr);
        text->SetBounds(0, 0, 226, 18);
        text->SetText("多云转晴 15℃~3℃");
        text->Font().SetSize(14);
        layout->AddObject(text);
        auto* second = new TvxText(nullptr);
        second->SetBounds(0, 18, 226, 17);
        second->SetText("北风 3-4级");
        layout->AddObject(second);
        layout->AddObject(new TvxShadowEffect(nullptr));
        scene->DrawAll();
    }
    ~Panel() { root->Free(); }

    std::unique_ptr<TvxCustomScene> scene;
    TvxLayout* root { nullptr };
    TvxLayout* layout { nullptr };
    TvxText* text { nullptr };
};

void BM_ShadowedPanelCached(benchmark::State& state)
{
    Panel panel;
    for (auto _ : state) {
        panel.scene->DrawAll();
        benchmark::DoNotOptimize(panel.scene->Buffer().Pixel(10, 100));
    }
}
BENCHMARK(BM_ShadowedPanelCached);

void BM_ShadowedPanelRerendered(benchmark::State& state)
{
    Panel panel;
    bool flip = false;
    for (auto _ : state) {
        panel.text->SetText(flip ? "多云转晴 15℃~3℃" : "晴 16℃~4℃");
        flip = !flip;
        panel.scene->DrawAll();
        benchmark::DoNotOptimize(panel.scene->Buffer().Pixel(10, 100));
    }
}
BENCHMARK(BM_ShadowedPanelRerendered);

void BM_StackBlur(benchmark::State& state)
{
    const int radius = static_cast<int>(state.range(0));
    std::vector<std::uint32_t> pixels(238 * 47, 0x80000000);
    for (auto _ : state) {
        StackBlur(pixels.data(), 238, 47, radius);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(pixels.size()));
}
BENCHMARK(BM_StackBlur)->Arg(8)->Arg(35);

}
BENCHMARK_MAIN();
