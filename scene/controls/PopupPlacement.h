// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a drop-down window goes, and which open drop-downs a change of the
// active window closes.

#include "platform/Backend.h"

#include <vector>

namespace nimbrell {

// The window's top left at anchor (the screen point below the target), moved
// left and up where it would reach past the work area's right or bottom edge,
// but never past its left or top edge.
platform::ScreenPoint PlaceInWorkArea(platform::ScreenPoint anchor, int width, int height, platform::ScreenRect workArea);

// The windows of the open popups that do not stay open, oldest first.
class OpenPopupWindows {
public:
    void Opened(platform::HWND window);
    void Closed(platform::HWND window);
    const std::vector<platform::HWND>& Windows() const { return m_windows; }

    // What closes when `deactivated` loses activation to `activated` (0: a
    // window that is no open popup), most recent first: every open popup;
    // only `deactivated` when an older popup is activated; nothing when a
    // newer one is.
    std::vector<platform::HWND> ToClose(platform::HWND deactivated, platform::HWND activated) const;

private:
    std::vector<platform::HWND> m_windows;
};

}
