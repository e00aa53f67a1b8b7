// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OnScreen.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace nimbrell {

namespace {

bool showsEnough(const platform::ScreenRect& painted, const platform::ScreenRect& area)
{
    platform::ScreenRect shown = painted.Within(area);
    // A painted area smaller than the minimum counts when it shows whole.
    int wantedWidth = std::min(kMinimumShown, painted.right - painted.left);
    int wantedHeight = std::min(kMinimumShown, painted.bottom - painted.top);
    return shown.right - shown.left >= wantedWidth && shown.bottom - shown.top >= wantedHeight;
}

// The move that brings the painted area inside the span [low, high); its
// leading edge wins when it does not fit.
int offsetInto(int start, int end, int low, int high)
{
    if (end > high)
        return std::max(high - end, low - start);
    return start < low ? low - start : 0;
}

}

std::optional<platform::ScreenPoint> RescueOffset(const platform::ScreenRect& painted, const std::vector<platform::ScreenRect>& workAreas)
{
    if (painted.right <= painted.left || painted.bottom <= painted.top)
        return std::nullopt;
    if (workAreas.empty() || std::ranges::any_of(workAreas, [&](const auto& area) { return showsEnough(painted, area); }))
        return std::nullopt;
    std::optional<platform::ScreenPoint> nearest;
    long long best = std::numeric_limits<long long>::max();
    for (const auto& area : workAreas) {
        if (area.right <= area.left || area.bottom <= area.top)
            continue;
        platform::ScreenPoint offset { offsetInto(painted.left, painted.right, area.left, area.right),
            offsetInto(painted.top, painted.bottom, area.top, area.bottom) };
        long long distance = static_cast<long long>(offset.x) * offset.x + static_cast<long long>(offset.y) * offset.y;
        if (distance < best) {
            best = distance;
            nearest = offset;
        }
    }
    return nearest;
}

}
