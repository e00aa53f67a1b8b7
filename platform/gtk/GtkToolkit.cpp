#include "platform/gtk/GtkToolkit.h"

#include "platform/gtk/DisplayLoss.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/GtkTheme.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <clocale>
#include <cstdlib>

namespace nimbrell::platform {

namespace {

OwnWindowEvents g_ownWindowEvents = nullptr;
bool g_gtkStarted = false;

void routeEvent(GdkEvent* event, gpointer)
{
    if (g_ownWindowEvents && g_ownWindowEvents(event))
        return;
    if (g_gtkStarted)
        gtk_main_do_event(event);
}

}

bool OpenDisplay(OwnWindowEvents handler)
{
    // X11 gives per-pixel input shapes and free window placement; Wayland
    // sessions run this through XWayland.
    setenv("GDK_BACKEND", "x11", 1);
    // GDK loads the OpenGL stack to choose visuals; the program never draws with
    // it, and it costs tens of megabytes. The user's own choice stands.
    setenv("GDK_GL", "disable", 0);
    StartWithPlainTheme();
    // The locale GTK would set, set now, while the program has one thread: GTK
    // starting later must not change it under the workers.
    std::setlocale(LC_ALL, "");
    gtk_disable_setlocale();
    if (!gdk_init_check(nullptr, nullptr))
        return false;
    gdk_set_program_class("Nimbrell");
    InstallDisplayLossHandler();
    g_ownWindowEvents = handler;
    gdk_event_handler_set(routeEvent, nullptr, nullptr);
    return true;
}

bool GtkToolkitStarted()
{
    return g_gtkStarted;
}

void EnsureGtk()
{
    if (g_gtkStarted)
        return;
    // The display is open already, so this cannot fail for want of one.
    gtk_init_check(nullptr, nullptr);
    g_gtkStarted = true;
    // GTK takes the events over when it starts; the program's windows keep theirs.
    gdk_event_handler_set(routeEvent, nullptr, nullptr);
}

guint32 LastUserTime()
{
    return gdk_x11_display_get_user_time(gdk_display_get_default());
}

bool IsInputEvent(const GdkEvent* event)
{
    switch (event->type) {
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_MOTION_NOTIFY:
    case GDK_SCROLL:
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_DELETE: return true;
    default: return false;
    }
}

bool GtkWidgetHoldsInput(const GdkEvent* event)
{
    return g_gtkStarted && IsInputEvent(event) && gtk_grab_get_current();
}

}
