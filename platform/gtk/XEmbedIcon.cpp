// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/XEmbedIcon.h"

#include "base/Owned.h"
#include "platform/MessageQueue.h"
#include "platform/gtk/GtkToolkit.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <vector>

namespace nimbrell::platform {

namespace {

// The X windows of the icons. A tray may destroy the window it embeds an icon in
// at any moment (a panel that crashes, or is killed while it holds the icon
// without saving it), and GTK's requests on the window fail through no fault of
// the program's: those errors are ignored, every other goes where it went.
std::vector<Window>& iconWindows()
{
    static std::vector<Window> windows;
    return windows;
}

XErrorHandler g_previousErrorHandler = nullptr;

int onXError(Display* display, XErrorEvent* error)
{
    if (std::ranges::find(iconWindows(), error->resourceid) != iconWindows().end())
        return 0;
    return g_previousErrorHandler ? g_previousErrorHandler(display, error) : 0;
}

void ignoreErrorsOnIconWindows()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    g_previousErrorHandler = XSetErrorHandler(onXError);
}

G_GNUC_BEGIN_IGNORE_DEPRECATIONS
// The program opens its own menu when the right button is released over the icon.
// Until a tray is there to take it the icon is not made (GTK itself need not start
// for it); it is made when a tray announces itself.
class XEmbedIcon final : public TrayIcon {
public:
    XEmbedIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target)
        : m_png(png.begin(), png.end())
        , m_tip(tip)
        , m_target(target)
    {
        m_display = gdk_display_get_default();
        std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(gdk_x11_screen_get_screen_number(gdk_screen_get_default()));
        m_trayAtom = gdk_x11_get_xatom_by_name_for_display(m_display, selection.c_str());
        m_managerAtom = gdk_x11_get_xatom_by_name_for_display(m_display, "MANAGER");
        waitForTray();
    }
    ~XEmbedIcon() override
    {
        stopWatching();
        if (m_pending)
            g_source_remove(m_pending);
        if (m_dropping) {
            g_source_remove(m_dropping);
            letDeadIconGo();
        }
        if (!m_icon)
            return;
        g_signal_handlers_disconnect_by_data(m_icon.get(), this);
        gtk_status_icon_set_visible(m_icon.get(), FALSE);
        forgetPlug();
    }

    void SetMenu(const std::vector<MenuEntry>&, HWND) override { }
    bool Docked() const override { return m_icon && !m_plugGone && gtk_status_icon_is_embedded(m_icon.get()); }
    // The tooltip changes; the title, which names the program, stays.
    void SetTip(const std::string& tip) override
    {
        m_tooltip = tip;
        if (m_icon && !m_plugGone)
            gtk_status_icon_set_tooltip_text(m_icon.get(), m_tooltip.c_str());
    }
    const char* Kind() const override { return "XEmbed"; }

private:
    // Watched before asking, so a tray starting in between is not missed.
    void waitForTray()
    {
        m_root = gdk_get_default_root_window();
        gdk_window_set_events(m_root, static_cast<GdkEventMask>(gdk_window_get_events(m_root) | GDK_STRUCTURE_MASK));
        gdk_window_add_filter(m_root, onRootEvent, this);
        if (XGetSelectionOwner(gdk_x11_display_get_xdisplay(m_display), m_trayAtom) != None)
            makeIcon();
    }

    void makeIcon()
    {
        stopWatching();
        EnsureGtk();
        ignoreErrorsOnIconWindows();
        Owned<GdkPixbuf, g_object_unref> picture(PixbufFromPng(m_png));
        m_icon.reset(picture ? gtk_status_icon_new_from_pixbuf(picture.get()) : gtk_status_icon_new_from_icon_name("weather-few-clouds"));
        gtk_status_icon_set_tooltip_text(m_icon.get(), (m_tooltip.empty() ? m_tip : m_tooltip).c_str());
        gtk_status_icon_set_title(m_icon.get(), m_tip.c_str());
        g_signal_connect(m_icon.get(), "button-release-event", G_CALLBACK(onRelease), this);
        // Docked when the tray embeds it, undocked when the tray goes; GTK docks it
        // again in a tray that starts later.
        g_signal_connect(m_icon.get(), "notify::embedded", G_CALLBACK(onEmbeddedChanged), this);
        gtk_status_icon_set_visible(m_icon.get(), TRUE);
        holdPlug();
    }

    // The window the tray embeds is GTK's, inside the status icon. It and the
    // picture in it are held so that the status icon, which keeps them without a
    // reference, can still be let go when the tray has destroyed the window and
    // GTK the widgets with it. GTK makes the X window anew when a tray that ends
    // hands the icon back, so it is followed.
    void holdPlug()
    {
        m_plugGone = false;
        GdkWindow* window = gdk_x11_window_lookup_for_display(m_display, gtk_status_icon_get_x11_window_id(m_icon.get()));
        gpointer widget = nullptr;
        if (window)
            gdk_window_get_user_data(window, &widget);
        if (!widget)
            return;
        m_plug.reset(GTK_WIDGET(g_object_ref(widget)));
        if (GtkWidget* picture = GTK_IS_BIN(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr)
            m_picture.reset(GTK_WIDGET(g_object_ref(picture)));
        g_signal_connect_after(m_plug.get(), "realize", G_CALLBACK(onPlugRealized), this);
        onPlugRealized(m_plug.get(), this);
        gdk_window_add_filter(nullptr, onXEvent, this);
    }

    // The errors on every window the icon had are ignored until it is let go: a
    // request sent before the window died may fail after GTK has made a new one.
    static void onPlugRealized(GtkWidget* plug, gpointer data)
    {
        auto* self = static_cast<XEmbedIcon*>(data);
        Window window = gdk_x11_window_get_xid(gtk_widget_get_window(plug));
        self->m_plugWindows.push_back(window);
        iconWindows().push_back(window);
    }

    // The X window of the icon while GTK has it, else None.
    Window plugWindow() const
    {
        GdkWindow* window = m_plug && gtk_widget_get_realized(m_plug.get()) ? gtk_widget_get_window(m_plug.get()) : nullptr;
        return window && !gdk_window_is_destroyed(window) ? gdk_x11_window_get_xid(window) : None;
    }

    void forgetPlug()
    {
        if (m_plug) {
            gdk_window_remove_filter(nullptr, onXEvent, this);
            g_signal_handlers_disconnect_by_data(m_plug.get(), this);
        }
        m_icon.reset();
        m_picture.reset();
        m_plug.reset();
        for (Window window : m_plugWindows) {
            if (auto found = std::ranges::find(iconWindows(), window); found != iconWindows().end())
                iconWindows().erase(found);
        }
        m_plugWindows.clear();
    }

    void stopWatching()
    {
        if (m_root)
            gdk_window_remove_filter(m_root, onRootEvent, this);
        m_root = nullptr;
    }

    // The tray destroyed the icon's window (GDK has not: it marks the windows it
    // destroys itself). GDK and GTK free what they kept for it next, in this
    // dispatch, with requests on resources the server freed with the window;
    // those fail harmlessly and are not counted until the icon is let go.
    static GdkFilterReturn onXEvent(GdkXEvent* native, GdkEvent*, gpointer data)
    {
        auto* self = static_cast<XEmbedIcon*>(data);
        const auto* event = static_cast<const XEvent*>(native);
        if (event->type != DestroyNotify || self->m_plugGone || event->xdestroywindow.window != self->plugWindow())
            return GDK_FILTER_CONTINUE;
        self->m_plugGone = true;
        gdk_x11_display_error_trap_push(self->m_display);
        self->m_dropping = g_idle_add_full(
            G_PRIORITY_HIGH,
            [](gpointer icon) {
                auto* dead = static_cast<XEmbedIcon*>(icon);
                dead->m_dropping = 0;
                dead->letDeadIconGo();
                dead->waitForTray();
                return G_SOURCE_REMOVE;
            },
            self, nullptr);
        PostMessage(self->m_target, TrayIconMessage, 0, TrayIconDockChanged);
        return GDK_FILTER_CONTINUE;
    }

    // Then a tray gets the icon again: the one that destroyed the window, if it
    // still runs, or the next to start.
    void letDeadIconGo()
    {
        g_signal_handlers_disconnect_by_data(m_icon.get(), this);
        forgetPlug();
        gdk_x11_display_error_trap_pop_ignored(m_display);
    }

    // A tray announces itself to every client with a MANAGER message on the root
    // window. The icon is made from the main loop, not inside GDK's event filter.
    static GdkFilterReturn onRootEvent(GdkXEvent* native, GdkEvent*, gpointer data)
    {
        auto* self = static_cast<XEmbedIcon*>(data);
        const auto* event = static_cast<const XEvent*>(native);
        if (event->type == ClientMessage && event->xclient.message_type == self->m_managerAtom
            && static_cast<Atom>(event->xclient.data.l[1]) == self->m_trayAtom && !self->m_pending && !self->m_icon) {
            self->m_pending = g_idle_add(
                [](gpointer icon) {
                    auto* waiting = static_cast<XEmbedIcon*>(icon);
                    waiting->m_pending = 0;
                    waiting->makeIcon();
                    return G_SOURCE_REMOVE;
                },
                self);
        }
        return GDK_FILTER_CONTINUE;
    }

    static void onEmbeddedChanged(GObject*, GParamSpec*, gpointer data)
    {
        PostMessage(static_cast<XEmbedIcon*>(data)->m_target, TrayIconMessage, 0, TrayIconDockChanged);
    }

    static gboolean onRelease(GtkStatusIcon*, GdkEventButton* event, gpointer data)
    {
        if (event->button == 3)
            PostMessage(static_cast<XEmbedIcon*>(data)->m_target, TrayIconMessage, 0, WM_RBUTTONUP);
        return TRUE;
    }

    std::vector<std::uint8_t> m_png;
    std::string m_tip;     // the title
    std::string m_tooltip; // set after creation; empty: the title
    HWND m_target;
    GdkDisplay* m_display { nullptr };
    Atom m_trayAtom { None };
    Atom m_managerAtom { None };
    GdkWindow* m_root { nullptr };
    guint m_pending { 0 };
    Owned<GtkStatusIcon, g_object_unref> m_icon;
    Owned<GtkWidget, g_object_unref> m_plug;
    Owned<GtkWidget, g_object_unref> m_picture;
    std::vector<Window> m_plugWindows;
    bool m_plugGone { false };
    guint m_dropping { 0 };
};
G_GNUC_END_IGNORE_DEPRECATIONS

}

std::unique_ptr<TrayIcon> CreateXEmbedIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target)
{
    return std::make_unique<XEmbedIcon>(png, tip, target);
}

}
