// SPDX-License-Identifier: GPL-3.0-or-later
// The widget's own scene: reading the stored window (22 pictures decoded) and
// painting its first full frame, headless. The process-level figures (start-up
// to the first frame on the desktop, memory, idle wake-ups, CPU while the panel
// animates) come from run-widget.sh.

#include "app/WidgetScene.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxRectangle.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace nimbrell;

namespace {

platform::Application& application()
{
    static platform::Application instance(std::make_unique<platform::HeadlessBackend>());
    return instance;
}

void BM_ReadWidgetScene(benchmark::State& state)
{
    application();
    for (auto _ : state) {
        TvxCustomScene scene(635, 866);
        WidgetScene widget = LoadWidgetScene(scene);
        benchmark::DoNotOptimize(widget.Root1);
    }
}
BENCHMARK(BM_ReadWidgetScene)->Unit(benchmark::kMillisecond);

void BM_WidgetFirstFrame(benchmark::State& state)
{
    application();
    for (auto _ : state) {
        state.PauseTiming();
        TvxCustomScene scene(635, 866);
        scene.SetTransparency(true);
        WidgetScene widget = LoadWidgetScene(scene);
        state.ResumeTiming();
        scene.DrawAll();
    }
}
BENCHMARK(BM_WidgetFirstFrame)->Unit(benchmark::kMillisecond);

// A whole frame of the widget with its panel open, at device scale 1 and 2: what
// a screen of twice the density costs a frame.
void BM_WidgetFrameAtScale(benchmark::State& state)
{
    application();
    TvxCustomScene scene(635, 866);
    scene.SetTransparency(true);
    scene.SetDeviceScale(static_cast<float>(state.range(0)));
    WidgetScene widget = LoadWidgetScene(scene);
    widget.RectangleMore->SetVisible(true);
    scene.DrawAll();
    for (auto _ : state)
        scene.DrawAll();
    state.counters["pixels"] = static_cast<double>(scene.Buffer().Width()) * scene.Buffer().Height();
}
BENCHMARK(BM_WidgetFrameAtScale)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The five-day panel's fade and slide as the animation clock moves it, 24 frames
// a run: what the UI thread paints while the panel animates (the push to the
// window aside). Under callgrind, --toggle-collect='*PaintPanelFade*' counts
// only these frames.
constexpr int fadeFrames = 24;

[[gnu::noinline]] void PaintPanelFade(TvxCustomScene& scene, TvxRectangle& panel)
{
    for (int frame = 1; frame <= fadeFrames; ++frame) {
        const float t = float(frame) / fadeFrames;
        panel.SetOpacity(t * t);
        panel.Position().SetY(144 * (1 - std::exp2(-10 * t)));
        scene.Draw();
    }
}

void BM_PanelFadeFrame(benchmark::State& state)
{
    application();
    TvxCustomScene scene(635, 866);
    scene.SetTransparency(true);
    WidgetScene widget = LoadWidgetScene(scene);
    TvxRectangle& panel = *widget.RectangleMore;
    panel.SetVisible(true);
    scene.DrawAll();
    for (auto _ : state)
        PaintPanelFade(scene, panel);
    state.SetItemsProcessed(state.iterations() * fadeFrames);
}
BENCHMARK(BM_PanelFadeFrame)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
