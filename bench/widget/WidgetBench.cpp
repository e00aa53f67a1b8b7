// SPDX-License-Identifier: GPL-3.0-or-later
// The widget's own scene: reading the stored window (22 pictures decoded) and
// painting its first full frame, headless. The process-level figures (start-up
// to the first frame on the desktop, memory, idle wake-ups, CPU while the panel
// animates) come from run-widget.sh.

#include "app/WidgetScene.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/host/TvxCustomScene.h"

#include <benchmark/benchmark.h>

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

}

BENCHMARK_MAIN();
