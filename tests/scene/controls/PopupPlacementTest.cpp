// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/PopupPlacement.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using platform::ScreenPoint;
using platform::ScreenRect;

TEST(PopupPlacement, StaysInsideTheWorkArea)
{
    const ScreenRect area { 0, 30, 1920, 1050 };
    struct Case {
        ScreenPoint anchor;
        int width, height;
        ScreenPoint placed;
    };
    const Case cases[] = {
        { { 100, 200 }, 100, 72, { 100, 200 } },
        { { 1880, 200 }, 100, 72, { 1820, 200 } }, // past the right edge
        { { 100, 1000 }, 100, 72, { 100, 978 } },  // past the bottom edge
        { { 1900, 1040 }, 100, 72, { 1820, 978 } },
        { { 100, 200 }, 3000, 2000, { 0, 30 } }, // larger than the area
        { { -50, 10 }, 100, 72, { 0, 30 } },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceInWorkArea(c.anchor, c.width, c.height, area), c.placed) << c.anchor.x << "," << c.anchor.y;
    }
}

TEST(PopupPlacement, LosingActivationClosesByAge)
{
    OpenPopupWindows open;
    open.Opened(11);
    open.Opened(12);
    open.Opened(13);
    using List = std::vector<platform::HWND>;
    EXPECT_EQ(open.ToClose(13, 0), (List { 13, 12, 11 })) << "another window: all, most recent first";
    EXPECT_EQ(open.ToClose(13, 99), (List { 13, 12, 11 }));
    EXPECT_EQ(open.ToClose(13, 11), (List { 13 })) << "an older popup activated closes only this one";
    EXPECT_EQ(open.ToClose(12, 13), List {}) << "a newer popup activated closes nothing";
    open.Closed(12);
    EXPECT_EQ(open.Windows(), (List { 11, 13 }));
    open.Opened(11);
    EXPECT_EQ(open.Windows(), (List { 13, 11 })) << "reopening makes it the most recent";
}
