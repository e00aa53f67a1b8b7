// SPDX-License-Identifier: GPL-3.0-or-later
// One frame of the widget-sized scene, for callgrind's instruction counts:
//   valgrind --tool=callgrind --toggle-collect='*paintFrame*' bench_render_frame full|dirty
#include "bench/render/WidgetFrame.h"

#include <cstdio>
#include <cstring>

using namespace nimbrell;

// Kept out of line so callgrind can count exactly this call.
__attribute__((noinline)) void paintFrame(TvxCustomScene& scene, const TvxRect& area)
{
    scene.AddUpdateRect(area);
    scene.Draw();
}

int main(int argc, char** argv)
{
    bool dirty = argc > 1 && std::strcmp(argv[1], "dirty") == 0;
    auto scene = bench::MakeWidgetSizedScene();
    paintFrame(*scene, dirty ? bench::DirtyRect : TvxRect { 0, 0, 65535, 65535 });
    std::printf("painted one %s frame\n", dirty ? "dirty-rectangle" : "full");
    return 0;
}
