// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The desktop back end: GTK 3 on X11 (Wayland sessions go through XWayland). The
// program's windows are bare GDK windows; GTK's own widgets (menus, message boxes,
// the tray icon) and services (input methods, the clipboard) start when first used.

#include "platform/Backend.h"

#include <memory>

namespace nimbrell::platform {

// Nothing when no display can be opened.
std::unique_ptr<Backend> CreateGtkBackend();

// Whether GTK itself has started in this process (it never stops again).
bool GtkToolkitStarted();

}
