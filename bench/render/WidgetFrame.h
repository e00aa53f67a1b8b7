// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scene the size of the widget's window (635 × 866) with 40 shapes and texts,
// for frame benchmarks.

#include "scene/host/TvxCustomScene.h"

#include <memory>

namespace nimbrell::bench {

std::unique_ptr<TvxCustomScene> MakeWidgetSizedScene();

// The area a typical text change repaints.
inline constexpr TvxRect DirtyRect { 100, 100, 200, 130 };

}
