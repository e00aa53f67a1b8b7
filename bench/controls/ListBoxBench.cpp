// SPDX-License-Identifier: GPL-3.0-or-later
// Filling a styled list box with the county count of the database inside one
// update, its first frame, and a scrolling frame; giving a string combo box its
// texts (the county count and 100,000). Items per second and the allocated
// bytes per item are reported as counters.

#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxScrollBar.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

using namespace nimbrell;

namespace {

constexpr int kCounties = 2140;

struct Setup {
    platform::Application application { std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual) };
    TvxCustomScene scene { 200, 300 };
    TvxBackground* root { new TvxBackground(nullptr) };

    Setup()
    {
        RegisterSceneControlClasses();
        root->SetBounds(0, 0, 200, 300);
        scene.AddObject(root);
    }

    TvxListBox* list()
    {
        auto* box = new TvxListBox(nullptr);
        box->SetBounds(10, 10, 150, 260);
        box->SetUseSmallScrollBars(true);
        root->AddObject(box);
        scene.DrawAll();
        return box;
    }
};

void fill(TvxListBox& box)
{
    box.BeginUpdate();
    for (int i = 0; i < kCounties; ++i) {
        auto* item = new TvxListBoxItem(nullptr);
        box.AddObject(item);
        item->SetText("县 " + std::to_string(i));
        item->SetTagString(std::to_string(101010100 + i));
    }
    box.EndUpdate();
}

std::size_t allocated()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks;
}

void BM_FillListBox(benchmark::State& state)
{
    Setup setup;
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* box = setup.list();
        std::size_t before = allocated();
        state.ResumeTiming();
        fill(*box);
        state.PauseTiming();
        bytes = allocated() - before;
        box->Free();
        state.ResumeTiming();
    }
    state.counters["bytes_per_item"] = static_cast<double>(bytes) / kCounties;
}
BENCHMARK(BM_FillListBox)->Unit(benchmark::kMillisecond);

void BM_FirstFrameAfterFill(benchmark::State& state)
{
    Setup setup;
    for (auto _ : state) {
        state.PauseTiming();
        auto* box = setup.list();
        fill(*box);
        state.ResumeTiming();
        setup.scene.DrawAll();
        state.PauseTiming();
        box->Free();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstFrameAfterFill)->Unit(benchmark::kMillisecond);

void BM_ScrollFrame(benchmark::State& state)
{
    Setup setup;
    auto* box = setup.list();
    fill(*box);
    setup.scene.DrawAll();
    float value = 0;
    for (auto _ : state) {
        value = value > 1000 ? 0 : value + 57;
        box->VScrollBar()->SetValue(value);
        setup.scene.DrawAll();
    }
}
BENCHMARK(BM_ScrollFrame)->Unit(benchmark::kMillisecond);

// Items set as one list of texts: the drop-down's list is rebuilt once.
void BM_StringComboItems(benchmark::State& state)
{
    Setup setup;
    std::vector<std::string> texts;
    for (int i = 0; i < state.range(0); ++i)
        texts.push_back("县 " + std::to_string(i));
    auto* combo = new TvxStringComboBox(nullptr);
    combo->SetBounds(10, 10, 120, 22);
    setup.root->AddObject(combo);
    setup.scene.DrawAll();
    for (auto _ : state) {
        combo->Items().SetLines(texts);
        combo->SetItemIndex(static_cast<int>(texts.size()) - 1);
        setup.scene.DrawAll();
        state.PauseTiming();
        combo->Items().Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringComboItems)->Arg(kCounties)->Arg(100000)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
