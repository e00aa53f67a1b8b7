// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The classic notification-area icon: a window the tray embeds (XEmbed).

#include "platform/Backend.h"

#include <memory>
#include <span>
#include <string>

namespace nimbrell::platform {

// The icon docks in the screen's tray when there is one, or when one starts
// later; a tray that ends or crashes takes it out, and the next one gets it again.
std::unique_ptr<TrayIcon> CreateXEmbedIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target);

}
