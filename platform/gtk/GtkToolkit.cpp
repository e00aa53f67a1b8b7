// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/GtkToolkit.h"

#include "base/Owned.h"
#include "platform/Resources.h"
#include "platform/gtk/DisplayLoss.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/GtkTheme.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
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

// Decoded by cairo, which the program has loaded already: the picture loaders'
// machinery (their module list, a content-type guess, a loader module) costs
// more than a megabyte for one small icon.
GdkPixbuf* PixbufFromPng(std::span<const std::uint8_t> png)
{
    struct Reader {
        std::span<const std::uint8_t> rest;
    } reader { png };
    Owned<cairo_surface_t, cairo_surface_destroy> surface(cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
            auto& source = *static_cast<Reader*>(closure);
            if (length > source.rest.size())
                return CAIRO_STATUS_READ_ERROR;
            std::copy_n(source.rest.begin(), length, data);
            source.rest = source.rest.subspan(length);
            return CAIRO_STATUS_SUCCESS;
        },
        &reader));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return gdk_pixbuf_get_from_surface(surface.get(), 0, 0, cairo_image_surface_get_width(surface.get()), cairo_image_surface_get_height(surface.get()));
}

GList* ProgramIcons()
{
    // Both sizes: the desktop takes the one that suits its density.
    static GList* icons = [] {
        GList* list = nullptr;
        for (const char* name : { "MAINICON", "MAINICON2X" }) {
            auto png = FindResource(name, "png");
            if (GdkPixbuf* picture = png ? PixbufFromPng(*png) : nullptr)
                list = g_list_append(list, picture);
        }
        return list;
    }();
    return icons;
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
