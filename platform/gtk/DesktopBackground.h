// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the program's windows are shown over. With a compositing manager (an
// owner of _NET_WM_CM_S<screen>) windows are blended per pixel; without one a
// window's transparent pixels would show black, so the windows cut themselves to
// their painted pixels and draw the desktop's background behind the rest.

#include <cairo.h>

#include <functional>

namespace nimbrell::platform {

bool DesktopComposited();

enum class DesktopChange {
    Compositing, // a compositor started or stopped
    Background,  // the root's background picture changed
    Monitors,    // a monitor came, went or changed its size
};

// Calls onChange from the main loop for each change of the desktop. One watcher
// for the process; a later call replaces it.
void WatchDesktop(std::function<void(DesktopChange)> onChange);

// Paints the desktop's background as it lies under a window whose top-left
// corner is at (left, top) on the screen: the root's background picture
// (_XROOTPMAP_ID, else ESETROOT_PMAP_ID), else a solid grey. Positions are in
// units of `scale` screen pixels, as the window's drawing context counts them.
void PaintDesktopBackground(cairo_t* cr, int left, int top, int scale = 1);

}
