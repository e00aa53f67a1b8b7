// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Popup menus and the notification-area icon, as the back ends show them. A
// chosen menu entry posts WM_COMMAND with the entry's index in wParam to the
// target window, so the choice is handled from the queue like any input.

#include "platform/Message.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nimbrell::platform {

struct MenuEntry {
    std::string caption;
    bool separator { false };
    bool visible { true };
    bool enabled { true };
    bool checked { false };
    bool operator==(const MenuEntry&) const = default;
};

// What the notification-area icon posts to its target: lParam is WM_RBUTTONUP
// when the right button was released over it (or the panel reports activation),
// TrayIconDockChanged when it was docked in a tray or left it.
inline constexpr std::uint32_t TrayIconMessage = 0x8000 + 0x0401;
inline constexpr LPARAM TrayIconDockChanged = 1;

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // Panels that show the icon's menu themselves need it ahead of the click;
    // its entries post WM_COMMAND to menuTarget like a popup menu's.
    virtual void SetMenu(const std::vector<MenuEntry>& entries, HWND menuTarget) = 0;
    // Whether a tray (or a panel's watcher) shows the icon now, so that the user
    // can reach the program through it.
    virtual bool Docked() const = 0;
    // What the icon says when the pointer rests on it.
    virtual void SetTip(const std::string& tip) = 0;
    // "StatusNotifierItem", "XEmbed" or the headless double's name.
    virtual const char* Kind() const = 0;
};

}
