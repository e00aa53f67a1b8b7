// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Keeping the widget reachable: a saved position can lie on a monitor that is
// gone, or past where X11 coordinates wrap.

#include "platform/Backend.h"

#include <optional>
#include <vector>

namespace nimbrell {

// Less than this much of the painted area showing (in each direction) counts as lost.
inline constexpr int kMinimumShown = 48;

// How far to move a window whose painted area (screen coordinates) shows less
// than kMinimumShown × kMinimumShown on every work area: to the nearest place
// where it shows whole (its top-left part, when it is larger than the area).
// Nothing when it shows enough, or when there is no work area.
std::optional<platform::ScreenPoint> RescueOffset(const platform::ScreenRect& painted, const std::vector<platform::ScreenRect>& workAreas);

}
