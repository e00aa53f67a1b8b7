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

// Whether a grab of the program's holds the pointer: a window's capture or a menu.
bool PointerGrabbed();
// Told when a grab of the program's ended (a menu closed, a capture released):
// once none is left, a window the pointer left meanwhile reports WM_MOUSELEAVE
// unless the pointer is over it again.
void PointerGrabEnded();

}
