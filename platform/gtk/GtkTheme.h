// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GTK's theme on demand. Parsing the desktop's theme is the largest single cost of
// starting GTK, and the program's own windows never use it: they start with a plain
// built-in theme, and the desktop's theme is loaded the first time GTK is to draw
// widgets of its own, so menus and dialogs still look native. A theme the user chose
// through GTK_THEME is used from the start.

#include <gio/gio.h>

namespace nimbrell::platform {

// Before GTK starts.
void StartWithPlainTheme();
// Before GTK draws a widget of its own: loads the desktop's theme once.
void UseDesktopTheme();
// A context for starting other programs, which do not inherit the program's theme
// override. The caller unrefs it.
GAppLaunchContext* NewLaunchContext();

}
