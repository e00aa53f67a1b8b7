// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scene/core/Geometry.h"

namespace nimbrell {

// Places rect in bounds: scaled down to fit with its aspect kept and whole-pixel size
// (never enlarged), then centred with whole-pixel offsets (halves to even). Unchanged
// when bounds has no area.
TvxRect FitRect(const TvxRect& rect, const TvxRect& bounds);

}
