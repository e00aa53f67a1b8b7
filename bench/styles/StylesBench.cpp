// SPDX-License-Identifier: GPL-3.0-or-later
// Applying styles: one button's style cloned through a stream, the first frame of a window
// of 20 styled controls, and reading the default style sheet.

#include "bench/support/AllocationCounter.h"
#include "platform/Resources.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/styles/DefaultStyleSheet.h"

#include <benchmark/benchmark.h>

using namespace nimbrell;

using nimbrell::bench::allocatedBytes;

namespace {

void reportAllocations(benchmark::State& state, std::size_t before)
{
    state.counters["bytes_allocated"] = benchmark::Counter(static_cast<double>(allocatedBytes.load() - before),
        benchmark::Counter::kAvgIterations);
}

void ApplyButtonStyle(benchmark::State& state)
{
    RegisterSceneControlClasses();
    LoadDefaultStyleSheet();
    TvxCustomScene scene(200, 100);
    auto* root = new TvxBackground(nullptr);
    scene.AddObject(root);
    auto* button = new TvxButton(nullptr);
    root->AddObject(button);
    button->ApplyResource();
    std::size_t before = allocatedBytes.load();
    for (auto _ : state)
        button->UpdateResource();
    reportAllocations(state, before);
}
BENCHMARK(ApplyButtonStyle)->Unit(benchmark::kMicrosecond);

void FirstFrameOfTwentyControls(benchmark::State& state)
{
    RegisterSceneControlClasses();
    LoadDefaultStyleSheet();
    std::size_t before = allocatedBytes.load();
    for (auto _ : state) {
        TvxCustomScene scene(420, 300);
        auto* root = new TvxBackground(nullptr);
        root->SetBounds(0, 0, 420, 300);
        scene.AddObject(root);
        for (int i = 0; i < 20; ++i) {
            TvxVisualObject* control = nullptr;
            switch (i % 4) {
            case 0: control = new TvxButton(nullptr); break;
            case 1: control = new TvxCheckBox(nullptr); break;
            case 2: control = new TvxLabel(nullptr); break;
            default: control = new TvxProgressBar(nullptr); break;
            }
            control->SetBounds(static_cast<float>(10 + (i % 4) * 100), static_cast<float>(10 + (i / 4) * 55), 90, 24);
            root->AddObject(control);
        }
        scene.DrawAll();
        benchmark::DoNotOptimize(scene.Buffer().ConstBits());
    }
    reportAllocations(state, before);
}
BENCHMARK(FirstFrameOfTwentyControls)->Unit(benchmark::kMicrosecond);

void ReadDefaultStyleSheet(benchmark::State& state)
{
    RegisterSceneControlClasses();
    auto bytes = platform::FindResource("defaultvxstyle", "RCDATA");
    if (!bytes) {
        state.SkipWithError("no default style sheet linked in");
        return;
    }
    std::size_t before = allocatedBytes.load();
    for (auto _ : state) {
        TvxObject* sheet = ReadStyleSheet(*bytes, nullptr);
        benchmark::DoNotOptimize(sheet);
        sheet->Free();
    }
    reportAllocations(state, before);
    state.counters["sheet_bytes"] = static_cast<double>(bytes->size());
}
BENCHMARK(ReadDefaultStyleSheet)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
