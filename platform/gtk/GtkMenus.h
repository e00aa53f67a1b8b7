// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Popup menus (GtkMenu) and the notification-area icon of the GTK back end.

#include "platform/Backend.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace nimbrell::platform {

void PopupGtkMenu(const std::vector<MenuEntry>& entries, ScreenPoint at, HWND target);
// Changes the items of the menus popped up for target and still open in place.
void UpdateOpenGtkMenus(const std::vector<MenuEntry>& entries, HWND target);
// Whether a popup menu is open (it holds the pointer).
bool GtkMenuOpen();

// A StatusNotifierItem when a watcher owns its name on the session bus, else the
// XEmbed icon.
std::unique_ptr<TrayIcon> CreateGtkTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target);

}
