// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OnScreen.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using platform::ScreenPoint;
using platform::ScreenRect;

TEST(OnScreen, APaintedAreaShowingTooLittleMovesToTheNearestPlaceWhereItShowsWhole)
{
    const std::vector<ScreenRect> two { { 0, 0, 1280, 1000 }, { 1280, 0, 2560, 1024 } };
    struct Case {
        const char* what;
        ScreenRect painted;
        std::vector<ScreenRect> areas;
        std::optional<ScreenPoint> offset;
    };
    const Case cases[] = {
        { "inside", { 500, 300, 750, 430 }, two, std::nullopt },
        { "48 × 48 showing is enough", { -202, -82, 48, 48 }, two, std::nullopt },
        { "47 columns are not", { -203, 300, 47, 430 }, two, ScreenPoint { 203, 0 } },
        { "across two monitors", { 1200, 300, 1450, 430 }, two, std::nullopt },
        { "right of every monitor", { 5000, -2000, 5250, -1870 }, two, ScreenPoint { 2560 - 5250, 2000 } },
        { "on a monitor that is gone", { 3000, 500, 3250, 630 }, { { 0, 0, 1280, 1000 } }, ScreenPoint { 1280 - 3250, 0 } },
        { "the nearer of two monitors", { 500, 1100, 750, 1230 }, two, ScreenPoint { 0, 1000 - 1230 } },
        { "past where X11 wraps", { 40000, 300, 40250, 430 }, two, ScreenPoint { 2560 - 40250, 0 } },
        { "larger than the area: its top-left part", { -960, -900, 40, 300 }, { { 0, 0, 800, 600 } }, ScreenPoint { 960, 900 } },
        { "smaller than 48 and whole", { 10, 10, 30, 30 }, two, std::nullopt },
        { "no monitor", { 5000, 5000, 5100, 5100 }, {}, std::nullopt },
    };
    for (const auto& row : cases) {
        auto offset = RescueOffset(row.painted, row.areas);
        ASSERT_EQ(offset.has_value(), row.offset.has_value()) << row.what;
        if (offset)
            EXPECT_EQ(*offset, *row.offset) << row.what;
    }
}
