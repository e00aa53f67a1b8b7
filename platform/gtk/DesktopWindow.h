// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's windows on the desktop: bare GDK windows showing the pixels the
// program pushes, their input turned into posted messages.

#include "platform/Backend.h"

#include <gdk/gdk.h>

#include <memory>

namespace nimbrell::platform {

std::unique_ptr<NativeWindow> CreateDesktopWindow(HWND handle, WindowKind kind);

// Handles an event of one of those windows; false when it is not one of theirs.
bool RouteToDesktopWindow(GdkEvent* event);

}
