#pragma once

// GDK alone serves the program's own windows. GTK itself (its settings, theme,
// widgets, input methods and clipboard, several megabytes) starts the first time
// one of its widgets or services is needed: a menu, a message box, typed text.

#include <gdk/gdk.h>

namespace nimbrell::platform {

// Handles an event of one of the program's own windows; false when it is not one.
using OwnWindowEvents = bool (*)(GdkEvent* event);

// Opens the display for GDK; events of the program's windows go to the handler,
// the rest to GTK once it runs. False when no display can be opened.
bool OpenDisplay(OwnWindowEvents handler);

void EnsureGtk();

// The time of the user's last input to the program, for the window manager's
// focus-stealing rules.
guint32 LastUserTime();

// While a GTK widget holds the program's input (an open menu, a message box), the
// program's own windows take none: a click on them reaches that widget as a click
// outside it (closing a menu), other input is dropped. True when the event was
// taken so.
bool GtkGrabTakes(GdkEvent* event);

}
