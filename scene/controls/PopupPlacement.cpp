// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/PopupPlacement.h"

#include <algorithm>

namespace nimbrell {

using platform::HWND;

platform::ScreenPoint PlaceInWorkArea(platform::ScreenPoint anchor, int width, int height, platform::ScreenRect workArea)
{
    platform::ScreenPoint place = anchor;
    if (place.x + width > workArea.right)
        place.x = workArea.right - width;
    if (place.y + height > workArea.bottom)
        place.y = workArea.bottom - height;
    place.x = std::max(place.x, workArea.left);
    place.y = std::max(place.y, workArea.top);
    return place;
}

void OpenPopupWindows::Opened(HWND window)
{
    Closed(window);
    m_windows.push_back(window);
}

void OpenPopupWindows::Closed(HWND window)
{
    std::erase(m_windows, window);
}

std::vector<HWND> OpenPopupWindows::ToClose(HWND deactivated, HWND activated) const
{
    auto position = [&](HWND window) { return std::find(m_windows.begin(), m_windows.end(), window); };
    auto self = position(deactivated);
    auto other = activated ? position(activated) : m_windows.end();
    if (other != m_windows.end() && other != self) {
        bool olderActivated = self != m_windows.end() && other < self;
        if (olderActivated)
            return { deactivated };
        return {};
    }
    return { m_windows.rbegin(), m_windows.rend() };
}

}
