// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/DesktopBackground.h"

#include "base/Owned.h"

#include <X11/Xatom.h>
#include <cairo-xlib.h>
#include <gdk/gdkx.h>

namespace nimbrell::platform {

namespace {

struct Watch {
    std::function<void(DesktopChange)> onChange;
    // The root's background picture, made when first painted after a change.
    cairo_surface_t* picture { nullptr };
    bool pictureRead { false };
    Atom names[2] { None, None };
};

Watch& watch()
{
    static Watch state;
    return state;
}

void forgetPicture()
{
    auto& state = watch();
    if (state.picture)
        cairo_surface_destroy(state.picture);
    state.picture = nullptr;
    state.pictureRead = false;
}

void notify(DesktopChange change)
{
    if (watch().onChange)
        watch().onChange(change);
}

// The pixmap a desktop setter names on the root, or None.
Pixmap rootPixmap(Display* display, Window root)
{
    for (const char* name : { "_XROOTPMAP_ID", "ESETROOT_PMAP_ID" }) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        Atom atom = XInternAtom(display, name, True);
        if (atom == None)
            continue;
        Pixmap found = None;
        if (XGetWindowProperty(display, root, atom, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after, &data) == Success && type == XA_PIXMAP
            && format == 32 && count == 1)
            found = *reinterpret_cast<Pixmap*>(data);
        if (data)
            XFree(data);
        if (found != None)
            return found;
    }
    return None;
}

cairo_surface_t* readPicture()
{
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    Display* display = gdk_x11_display_get_xdisplay(gdkDisplay);
    Window root = gdk_x11_get_default_root_xwindow();
    Pixmap pixmap = rootPixmap(display, root);
    if (pixmap == None)
        return nullptr;
    // The setter may have freed it since; a stale name is no picture.
    gdk_x11_display_error_trap_push(gdkDisplay);
    Window ignored = None;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    Status got = XGetGeometry(display, pixmap, &ignored, &x, &y, &width, &height, &border, &depth);
    bool failed = gdk_x11_display_error_trap_pop(gdkDisplay) != 0;
    int screen = DefaultScreen(display);
    if (failed || !got || width == 0 || height == 0 || static_cast<int>(depth) != DefaultDepth(display, screen))
        return nullptr;
    return cairo_xlib_surface_create(display, pixmap, DefaultVisual(display, screen), static_cast<int>(width), static_cast<int>(height));
}

GdkFilterReturn onRootEvent(GdkXEvent* native, GdkEvent*, gpointer)
{
    const auto* event = static_cast<const XEvent*>(native);
    auto& state = watch();
    if (event->type == PropertyNotify && (event->xproperty.atom == state.names[0] || event->xproperty.atom == state.names[1])) {
        forgetPicture();
        notify(DesktopChange::Background);
    }
    return GDK_FILTER_CONTINUE;
}

void onComposited(GdkScreen*, gpointer)
{
    notify(DesktopChange::Compositing);
}

void onMonitors(GdkScreen*, gpointer)
{
    notify(DesktopChange::Monitors);
}

}

bool DesktopComposited()
{
    return gdk_screen_is_composited(gdk_screen_get_default());
}

void WatchDesktop(std::function<void(DesktopChange)> onChange)
{
    auto& state = watch();
    bool first = !state.onChange;
    state.onChange = std::move(onChange);
    if (!first)
        return;
    GdkDisplay* display = gdk_display_get_default();
    state.names[0] = gdk_x11_get_xatom_by_name_for_display(display, "_XROOTPMAP_ID");
    state.names[1] = gdk_x11_get_xatom_by_name_for_display(display, "ESETROOT_PMAP_ID");
    GdkWindow* root = gdk_get_default_root_window();
    gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
    gdk_window_add_filter(root, onRootEvent, nullptr);
    // GDK follows the compositing manager's selection itself.
    GdkScreen* screen = gdk_screen_get_default();
    g_signal_connect(screen, "composited-changed", G_CALLBACK(onComposited), nullptr);
    g_signal_connect(screen, "monitors-changed", G_CALLBACK(onMonitors), nullptr);
    g_signal_connect(screen, "size-changed", G_CALLBACK(onMonitors), nullptr);
}

void PaintDesktopBackground(cairo_t* cr, int left, int top, int scale)
{
    auto& state = watch();
    if (!state.pictureRead) {
        state.picture = readPicture();
        state.pictureRead = true;
    }
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    // A picture freed without a word from its setter must not end the program.
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    if (state.picture && scale == 1) {
        cairo_set_source_surface(cr, state.picture, -left, -top);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    } else if (state.picture) {
        // The picture is in screen pixels: one to one with the window's device pixels.
        Owned<cairo_pattern_t, cairo_pattern_destroy> picture(cairo_pattern_create_for_surface(state.picture));
        cairo_matrix_t toPicture;
        cairo_matrix_init_scale(&toPicture, scale, scale);
        cairo_matrix_translate(&toPicture, left, top);
        cairo_pattern_set_matrix(picture.get(), &toPicture);
        cairo_pattern_set_filter(picture.get(), CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(picture.get(), CAIRO_EXTEND_REPEAT);
        cairo_set_source(cr, picture.get());
    } else {
        cairo_set_source_rgb(cr, 0x80 / 255.0, 0x80 / 255.0, 0x80 / 255.0);
    }
    cairo_paint(cr);
    gdk_x11_display_error_trap_pop_ignored(display);
    cairo_restore(cr);
}

}
