// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/GtkBackend.h"

#include "base/Owned.h"
#include "base/Utf.h"
#include "platform/Application.h"
#include "platform/gtk/DesktopWindow.h"
#include "platform/gtk/GtkMenus.h"
#include "platform/gtk/GtkTheme.h"
#include "platform/gtk/GtkToolkit.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

namespace nimbrell::platform {

namespace {

class GtkBackend final : public Backend {
public:
    ~GtkBackend() override
    {
        if (m_wakeSource)
            g_source_remove(m_wakeSource);
    }

    const char* Name() const override { return "gtk"; }

    void WaitForEvents(int wakeFd, int timeoutMs) override
    {
        if (!m_wakeSource)
            m_wakeSource = g_unix_fd_add(wakeFd, G_IO_IN, onWake, nullptr);
        guint timeout = 0;
        if (timeoutMs >= 0)
            timeout = g_timeout_add(static_cast<guint>(timeoutMs), onTimeout, &timeout);
        // One blocking iteration: a native event, a post (the wake descriptor) or the timeout.
        g_main_context_iteration(nullptr, TRUE);
        if (timeout)
            g_source_remove(timeout);
    }

    std::uint64_t TickCount() override { return static_cast<std::uint64_t>(g_get_monotonic_time() / 1000); }

    void ShowMessageBox(const std::string& text, const std::string& caption) override
    {
        EnsureGtk();
        UseDesktopTheme();
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", text.c_str());
        gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
        gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
        bool done = false;
        g_signal_connect(dialog, "response", G_CALLBACK(onResponse), &done);
        gtk_widget_show_all(dialog);
        // Posted messages keep flowing while the box is up. The box stays until
        // it is answered even when the main window closes (an error found then,
        // its settings not written, must still be read), but not after a close
        // signal: the session is ending and waits for no one.
        auto& application = Application::Instance();
        while (!done && !Application::CloseSignalled())
            application.HandleMessage();
        gtk_widget_destroy(dialog);
    }

    std::unique_ptr<NativeWindow> CreateNativeWindow(HWND handle, WindowKind kind) override
    {
        return CreateDesktopWindow(handle, kind);
    }

    ScreenRect WorkAreaAt(ScreenPoint point) override
    {
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, point.x, point.y);
        if (!monitor)
            monitor = gdk_display_get_primary_monitor(display);
        GdkRectangle area { 0, 0, 0, 0 };
        if (monitor)
            gdk_monitor_get_workarea(monitor, &area);
        return { area.x, area.y, area.x + area.width, area.y + area.height };
    }

    std::vector<ScreenRect> WorkAreas() override
    {
        GdkDisplay* display = gdk_display_get_default();
        std::vector<ScreenRect> areas;
        for (int index = 0; index < gdk_display_get_n_monitors(display); ++index) {
            GdkRectangle area { 0, 0, 0, 0 };
            gdk_monitor_get_workarea(gdk_display_get_monitor(display, index), &area);
            areas.push_back({ area.x, area.y, area.x + area.width, area.y + area.height });
        }
        return areas;
    }

    ScreenPoint CursorPosition() override
    {
        GdkDisplay* display = gdk_display_get_default();
        GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
        int x = 0;
        int y = 0;
        gdk_device_get_position(pointer, nullptr, &x, &y);
        return { x, y };
    }

    void PopupMenu(const std::vector<MenuEntry>& entries, ScreenPoint at, HWND target) override
    {
        PopupGtkMenu(entries, at, target);
    }

    void UpdatePopupMenu(const std::vector<MenuEntry>& entries, HWND target) override { UpdateOpenGtkMenus(entries, target); }

    std::unique_ptr<TrayIcon> CreateTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target) override
    {
        return CreateGtkTrayIcon(png, tip, target);
    }

    bool IsComposited() override { return gdk_screen_is_composited(gdk_screen_get_default()); }

    void SetClipboardText(const std::string& utf8) override
    {
        std::string text = SanitizeUtf8(utf8);
        EnsureGtk();
        gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.data(), static_cast<gint>(text.size()));
    }

    std::optional<std::string> ClipboardText() override
    {
        EnsureGtk();
        // Waits in a nested loop for the owner's answer; GTK converts the
        // text targets the owner offers to UTF-8.
        Owned<gchar, g_free> text(gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)));
        if (!text)
            return std::nullopt;
        return SanitizeUtf8(text.get());
    }

    bool OpenUri(const std::string& uri) override
    {
        GError* error = nullptr;
        Owned<GAppLaunchContext, g_object_unref> context(NewLaunchContext());
        bool opened = g_app_info_launch_default_for_uri(uri.c_str(), context.get(), &error);
        Owned<GError, g_error_free> failure(error); // the caller needs no detail
        return opened;
    }

private:
    static gboolean onWake(gint, GIOCondition, gpointer) { return G_SOURCE_CONTINUE; }

    static gboolean onTimeout(gpointer data)
    {
        *static_cast<guint*>(data) = 0;
        return G_SOURCE_REMOVE;
    }

    static void onResponse(GtkDialog*, gint, gpointer data) { *static_cast<bool*>(data) = true; }

    guint m_wakeSource { 0 };
};

}

std::unique_ptr<Backend> CreateGtkBackend()
{
    if (!OpenDisplay(RouteToDesktopWindow))
        return nullptr;
    return std::make_unique<GtkBackend>();
}

}
