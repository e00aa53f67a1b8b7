// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GDK alone serves the program's own windows. GTK itself (its settings, theme,
// widgets, input methods and clipboard, several megabytes) starts the first time
// one of its widgets or services is needed: a menu, a message box, typed text.

#include <gdk/gdk.h>

#include <cstdint>
#include <span>

namespace nimbrell::platform {

// Handles an event of one of the program's own windows; false when it is not one.
using OwnWindowEvents = bool (*)(GdkEvent* event);

// Opens the display for GDK; events of the program's windows go to the handler,
// the rest to GTK once it runs. False when no display can be opened.
bool OpenDisplay(OwnWindowEvents handler);

void EnsureGtk();

// A PNG picture for GDK; null when it cannot be decoded. The caller owns it.
GdkPixbuf* PixbufFromPng(std::span<const std::uint8_t> png);

// The program's icon for its windows, at 48 and 96 pixels ("MAINICON",
// "MAINICON2X"); null without one.
GList* ProgramIcons();

// The time of the user's last input to the program, for the window manager's
// focus-stealing rules.
guint32 LastUserTime();

// Pointer and key input, and the window manager's request to close.
bool IsInputEvent(const GdkEvent* event);

// While a GTK widget holds the program's input (a message box), the program's own
// windows take none. (An open menu grabs the pointer, so GDK gives it their clicks.)
bool GtkWidgetHoldsInput(const GdkEvent* event);

}
