#include "platform/gtk/GtkBackend.h"

#include "platform/Application.h"
#include "platform/MessageQueue.h"
#include "base/Utf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "platform/gtk/DisplayLoss.h"
#include "platform/gtk/GtkMenus.h"
#include "platform/gtk/GtkTheme.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <vector>

namespace nimbrell::platform {

namespace {

WPARAM modifierFlags(guint state)
{
    WPARAM flags = 0;
    if (state & GDK_BUTTON1_MASK)
        flags |= MK_LBUTTON;
    if (state & GDK_BUTTON3_MASK)
        flags |= MK_RBUTTON;
    if (state & GDK_BUTTON2_MASK)
        flags |= MK_MBUTTON;
    if (state & GDK_SHIFT_MASK)
        flags |= MK_SHIFT;
    if (state & GDK_CONTROL_MASK)
        flags |= MK_CONTROL;
    if (state & GDK_MOD1_MASK)
        flags |= MK_ALT;
    return flags;
}

WPARAM virtualKey(guint keyval)
{
    switch (keyval) {
    case GDK_KEY_BackSpace: return VK_BACK;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab: return VK_TAB;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: return VK_RETURN;
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R: return VK_SHIFT;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R: return VK_CONTROL;
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R: return VK_MENU;
    case GDK_KEY_Escape: return VK_ESCAPE;
    case GDK_KEY_space: return VK_SPACE;
    case GDK_KEY_Page_Up: return VK_PRIOR;
    case GDK_KEY_Page_Down: return VK_NEXT;
    case GDK_KEY_End:
    case GDK_KEY_KP_End: return VK_END;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home: return VK_HOME;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return VK_LEFT;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return VK_UP;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return VK_RIGHT;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return VK_DOWN;
    case GDK_KEY_Insert: return VK_INSERT;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete: return VK_DELETE;
    case GDK_KEY_KP_Add: return VK_ADD;
    case GDK_KEY_KP_Subtract: return VK_SUBTRACT;
    default: break;
    }
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12)
        return VK_F1 + (keyval - GDK_KEY_F1);
    guint upper = gdk_keyval_to_upper(keyval);
    if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9'))
        return upper;
    return 0;
}

const char* cursorName(CursorShape cursor)
{
    switch (cursor) {
    case CursorShape::Default:
    case CursorShape::Arrow: return "default";
    case CursorShape::Hand: return "pointer";
    case CursorShape::IBeam: return "text";
    case CursorShape::SizeNWSE: return "nwse-resize";
    case CursorShape::SizeWE: return "ew-resize";
    case CursorShape::SizeNS: return "ns-resize";
    case CursorShape::SizeAll: return "move";
    case CursorShape::Wait: return "wait";
    case CursorShape::No: return "not-allowed";
    case CursorShape::Drag: return "grabbing";
    }
    return "default";
}

class GtkNativeWindow;

// The program's own windows, so a popup can say which one a press outside it hit.
std::vector<GtkNativeWindow*>& nativeWindows()
{
    static std::vector<GtkNativeWindow*> windows;
    return windows;
}

class GtkNativeWindow final : public NativeWindow {
public:
    GtkNativeWindow(HWND handle, WindowKind kind)
        : m_handle(handle)
        , m_kind(kind)
    {
        nativeWindows().push_back(this);
        m_window = gtk_window_new(kind == WindowKind::TopLevel ? GTK_WINDOW_TOPLEVEL : GTK_WINDOW_POPUP);
        g_object_ref_sink(m_window);
        GtkWindow* window = GTK_WINDOW(m_window);
        gtk_window_set_decorated(window, FALSE);
        gtk_window_set_skip_taskbar_hint(window, TRUE);
        gtk_window_set_skip_pager_hint(window, TRUE);
        gtk_window_set_resizable(window, FALSE);
        gtk_widget_set_app_paintable(m_window, TRUE);
        GdkScreen* screen = gtk_widget_get_screen(m_window);
        if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen))
            gtk_widget_set_visual(m_window, visual);
        gtk_widget_add_events(m_window,
            GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK
                | GDK_ENTER_NOTIFY_MASK | GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK | GDK_KEY_PRESS_MASK
                | GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK | GDK_FOCUS_CHANGE_MASK);
        gtk_widget_set_can_focus(m_window, TRUE);

        g_signal_connect(m_window, "draw", G_CALLBACK(onDraw), this);
        g_signal_connect(m_window, "button-press-event", G_CALLBACK(onButton), this);
        g_signal_connect(m_window, "button-release-event", G_CALLBACK(onButton), this);
        g_signal_connect(m_window, "motion-notify-event", G_CALLBACK(onMotion), this);
        g_signal_connect(m_window, "leave-notify-event", G_CALLBACK(onLeave), this);
        g_signal_connect(m_window, "scroll-event", G_CALLBACK(onScroll), this);
        g_signal_connect(m_window, "key-press-event", G_CALLBACK(onKey), this);
        g_signal_connect(m_window, "key-release-event", G_CALLBACK(onKey), this);
        g_signal_connect(m_window, "configure-event", G_CALLBACK(onConfigure), this);
        g_signal_connect(m_window, "delete-event", G_CALLBACK(onDelete), this);
        g_signal_connect(m_window, "realize", G_CALLBACK(onRealize), this);
        if (kind == WindowKind::Popup) {
            // A group of its own: a modal window's grab would otherwise keep the
            // popup's input from it (a drop-down opened from a modal dialog).
            GtkWindowGroup* group = gtk_window_group_new();
            gtk_window_group_add_window(group, window);
            g_object_unref(group);
            gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_COMBO);
            gtk_window_set_keep_above(window, TRUE);
            g_signal_connect(m_window, "map-event", G_CALLBACK(onPopupMapped), this);
            g_signal_connect(m_window, "grab-broken-event", G_CALLBACK(onGrabBroken), this);
        }
        if (kind == WindowKind::Hint) {
            gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_TOOLTIP);
            gtk_window_set_keep_above(window, TRUE);
            gtk_window_set_accept_focus(window, FALSE);
            gtk_widget_set_can_focus(m_window, FALSE);
            m_passThrough = true;
        }

        m_input = gtk_im_multicontext_new();
        g_signal_connect(m_input, "commit", G_CALLBACK(onCommit), this);
    }

    ~GtkNativeWindow() override
    {
        std::erase(nativeWindows(), this);
        releaseGrab();
        g_signal_handlers_disconnect_by_data(m_window, this);
        g_signal_handlers_disconnect_by_data(m_input, this);
        gtk_im_context_set_client_window(m_input, nullptr);
        g_object_unref(m_input);
        gtk_widget_destroy(m_window);
        g_object_unref(m_window);
        if (m_painted)
            cairo_surface_destroy(m_painted);
        cairo_region_destroy(m_shape);
    }

    void Move(int left, int top) override
    {
        m_left = left;
        m_top = top;
        gtk_window_move(GTK_WINDOW(m_window), left, top);
    }
    int Left() const override { return m_left; }
    int Top() const override { return m_top; }

    void Resize(int width, int height) override
    {
        m_width = std::max(width, 1);
        m_height = std::max(height, 1);
        gtk_widget_set_size_request(m_window, m_width, m_height);
        gtk_window_resize(GTK_WINDOW(m_window), m_width, m_height);
    }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }

    void Show() override
    {
        gtk_window_move(GTK_WINDOW(m_window), m_left, m_top);
        gtk_widget_show(m_window);
        gtk_window_move(GTK_WINDOW(m_window), m_left, m_top);
        applyInputShape();
    }
    void Hide() override
    {
        releaseGrab();
        gtk_widget_hide(m_window);
    }
    bool IsVisible() const override { return gtk_widget_get_visible(m_window); }
    void SetTitle(const std::string& title) override { gtk_window_set_title(GTK_WINDOW(m_window), title.c_str()); }

    void PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted) override
    {
        if (width <= 0 || height <= 0)
            return;
        bool resized = width != m_width || height != m_height;
        if (resized)
            Resize(width, height);
        updateShapeFromAlpha(pixels, width, height, strideBytes, painted);
        // Only the painted part is kept and drawn: a layered window is mostly
        // transparent, and a full-window copy would hold (and upload) megabytes of
        // nothing.
        cairo_rectangle_int_t kept;
        cairo_region_get_extents(m_shape, &kept);
        if (!m_painted || cairo_image_surface_get_width(m_painted) != kept.width || cairo_image_surface_get_height(m_painted) != kept.height) {
            if (m_painted)
                cairo_surface_destroy(m_painted);
            m_painted = kept.width > 0 && kept.height > 0 ? cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kept.width, kept.height) : nullptr;
        }
        if (m_painted) {
            cairo_surface_flush(m_painted);
            auto* target = cairo_image_surface_get_data(m_painted);
            int targetStride = cairo_image_surface_get_stride(m_painted);
            const auto* source = reinterpret_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(kept.y) * strideBytes + static_cast<std::ptrdiff_t>(kept.x) * 4;
            for (int y = 0; y < kept.height; ++y)
                std::memcpy(target + static_cast<std::ptrdiff_t>(y) * targetStride, source + static_cast<std::ptrdiff_t>(y) * strideBytes, static_cast<std::size_t>(kept.width) * 4);
            cairo_surface_mark_dirty(m_painted);
        }
        // What changed lies inside the old and the new painted parts.
        if (resized) {
            gtk_widget_queue_draw(m_window);
        } else {
            for (const auto& area : { m_paintedArea, kept }) {
                if (area.width > 0 && area.height > 0)
                    gtk_widget_queue_draw_area(m_window, area.x, area.y, area.width, area.height);
            }
        }
        m_paintedArea = kept;
    }

    void SetMousePassThrough(bool passThrough) override
    {
        if (m_passThrough == passThrough)
            return;
        m_passThrough = passThrough;
        applyInputShape();
        // The new shape is in force for every client's input once this returns.
        if (GdkWindow* window = gtk_widget_get_window(m_window))
            gdk_display_sync(gdk_window_get_display(window));
    }
    bool MousePassThrough() const override { return m_passThrough; }

    void SetCapture(bool capture) override
    {
        // A shown popup holds the pointer already; a hint never takes it.
        if (m_kind != WindowKind::TopLevel)
            return;
        GdkWindow* window = gtk_widget_get_window(m_window);
        if (!window)
            return;
        GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
        if (capture && !m_captured) {
            m_captured = gdk_seat_grab(seat, window, GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE, nullptr, nullptr, nullptr, nullptr) == GDK_GRAB_SUCCESS;
        } else if (!capture && m_captured) {
            gdk_seat_ungrab(seat);
            m_captured = false;
        }
    }

    void SetCursor(CursorShape cursor) override
    {
        if (cursor == m_cursor)
            return;
        m_cursor = cursor;
        GdkWindow* window = gtk_widget_get_window(m_window);
        if (!window)
            return;
        GdkCursor* shape = gdk_cursor_new_from_name(gdk_window_get_display(window), cursorName(cursor));
        gdk_window_set_cursor(window, shape);
        if (shape)
            g_object_unref(shape);
    }

    void Focus() override { gtk_window_present(GTK_WINDOW(m_window)); }
    void BringToFront() override
    {
        gtk_window_present(GTK_WINDOW(m_window));
        if (GdkWindow* native = gtk_widget_get_window(m_window))
            gdk_window_raise(native);
    }

    void SetModal(NativeWindow* owner, bool modal) override
    {
        auto* ownerWindow = static_cast<GtkNativeWindow*>(owner);
        gtk_window_set_transient_for(GTK_WINDOW(m_window), modal && ownerWindow ? GTK_WINDOW(ownerWindow->m_window) : nullptr);
        gtk_window_set_modal(GTK_WINDOW(m_window), modal);
    }

    void SetInputMethodCaret(int x, int y, int width, int height) override
    {
        GdkRectangle area { x, y, width, height };
        gtk_im_context_set_cursor_location(m_input, &area);
    }

    HWND Handle() const { return m_handle; }
    GtkWidget* Widget() const { return m_window; }

private:
    void post(std::uint32_t message, WPARAM wParam, LPARAM lParam) { PostMessage(m_handle, message, wParam, lParam); }

    void releaseGrab()
    {
        if (!m_captured)
            return;
        m_captured = false;
        if (GdkWindow* window = gtk_widget_get_window(m_window))
            gdk_seat_ungrab(gdk_display_get_default_seat(gdk_window_get_display(window)));
    }

    // A popup takes pointer and keyboard while shown, like a menu: presses
    // outside it come here instead of reaching other windows.
    static gboolean onPopupMapped(GtkWidget* widget, GdkEvent*, GtkNativeWindow* self)
    {
        GdkWindow* window = gtk_widget_get_window(widget);
        GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
        self->m_captured = gdk_seat_grab(seat, window, GDK_SEAT_CAPABILITY_ALL, FALSE, nullptr, nullptr, nullptr, nullptr) == GDK_GRAB_SUCCESS;
        return FALSE;
    }

    static gboolean onGrabBroken(GtkWidget*, GdkEvent*, GtkNativeWindow* self)
    {
        if (!self->m_captured)
            return FALSE;
        self->m_captured = false;
        self->post(WM_ACTIVATE, WA_INACTIVE, 0);
        return TRUE;
    }

    bool containsRootPoint(double rootX, double rootY) const
    {
        return rootX >= m_left && rootX < m_left + m_width && rootY >= m_top && rootY < m_top + m_height;
    }

    // The program's visible window under a screen point, other than this one.
    HWND windowAt(double rootX, double rootY) const
    {
        for (auto* window : nativeWindows()) {
            if (window != this && window->IsVisible() && window->containsRootPoint(rootX, rootY))
                return window->m_handle;
        }
        return 0;
    }

    // Client coordinates from the pointer's screen position and the position the
    // program gave the window, so a window being dragged follows the mouse
    // exactly even while the window manager has not caught up with the moves.
    LPARAM clientPoint(double rootX, double rootY) const
    {
        return MakePointParam(static_cast<int>(rootX) - m_left, static_cast<int>(rootY) - m_top);
    }

    // A press soon after another of the same button, near it, is a double click;
    // the press after a double click starts over. GDK's own double-press event
    // comes after a second plain press, which would make one press too many.
    bool isSecondClick(const GdkEventButton* event)
    {
        GtkSettings* settings = gtk_widget_get_settings(m_window);
        int time = 400;
        int distance = 5;
        g_object_get(settings, "gtk-double-click-time", &time, "gtk-double-click-distance", &distance, nullptr);
        bool second = m_lastPress.button == event->button && event->time - m_lastPress.time <= static_cast<guint32>(time)
            && std::abs(event->x_root - m_lastPress.x) <= distance && std::abs(event->y_root - m_lastPress.y) <= distance;
        if (second)
            m_lastPress = {};
        else
            m_lastPress = { event->button, event->time, event->x_root, event->y_root };
        return second;
    }

    void updateShapeFromAlpha(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted)
    {
        // Runs of non-transparent pixels, row by row; equal consecutive rows merge.
        std::vector<cairo_rectangle_int_t> rectangles;
        std::vector<std::pair<int, int>> previousRuns;
        std::vector<std::size_t> previousIndices;
        std::vector<std::pair<int, int>> runs;
        ScreenRect area = painted.Within({ 0, 0, width, height });
        for (int y = area.top; y < area.bottom; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(y) * strideBytes);
            runs.clear();
            for (int x = area.left; x < area.right;) {
                while (x < area.right && (row[x] >> 24) == 0)
                    ++x;
                int start = x;
                while (x < area.right && (row[x] >> 24) != 0)
                    ++x;
                if (x > start)
                    runs.emplace_back(start, x);
            }
            if (runs == previousRuns) {
                for (auto index : previousIndices)
                    ++rectangles[index].height;
                continue;
            }
            previousIndices.clear();
            for (auto [start, end] : runs) {
                previousIndices.push_back(rectangles.size());
                rectangles.push_back({ start, y, end - start, 1 });
            }
            previousRuns = runs;
        }
        cairo_region_destroy(m_shape);
        m_shape = cairo_region_create_rectangles(rectangles.data(), static_cast<int>(rectangles.size()));
        applyInputShape();
    }

    void applyInputShape()
    {
        GdkWindow* window = gtk_widget_get_window(m_window);
        if (!window)
            return;
        if (m_passThrough) {
            cairo_region_t* empty = cairo_region_create();
            gdk_window_input_shape_combine_region(window, empty, 0, 0);
            cairo_region_destroy(empty);
        } else {
            gdk_window_input_shape_combine_region(window, m_shape, 0, 0);
        }
    }

    static void onRealize(GtkWidget* widget, GtkNativeWindow* self)
    {
        gtk_im_context_set_client_window(self->m_input, gtk_widget_get_window(widget));
        self->applyInputShape();
    }

    static gboolean onDraw(GtkWidget*, cairo_t* cr, GtkNativeWindow* self)
    {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
        if (self->m_painted) {
            const auto& area = self->m_paintedArea;
            cairo_set_source_surface(cr, self->m_painted, area.x, area.y);
            cairo_rectangle(cr, area.x, area.y, area.width, area.height);
            cairo_fill(cr);
        }
        return TRUE;
    }

    static gboolean onButton(GtkWidget*, GdkEventButton* event, GtkNativeWindow* self)
    {
        std::uint32_t base = 0;
        WPARAM pressed = 0;
        switch (event->button) {
        case 1:
            base = WM_LBUTTONDOWN;
            pressed = MK_LBUTTON;
            break;
        case 3:
            base = WM_RBUTTONDOWN;
            pressed = MK_RBUTTON;
            break;
        case 2:
            base = WM_MBUTTONDOWN;
            pressed = MK_MBUTTON;
            break;
        default: return FALSE;
        }
        WPARAM flags = modifierFlags(event->state);
        LPARAM point = self->clientPoint(event->x_root, event->y_root);
        if (self->m_kind == WindowKind::Popup && !self->containsRootPoint(event->x_root, event->y_root)) {
            if (event->type == GDK_BUTTON_PRESS)
                self->post(WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(self->windowAt(event->x_root, event->y_root)));
            return TRUE;
        }
        if (event->type == GDK_BUTTON_PRESS) {
            bool doubleClick = self->isSecondClick(event);
            self->post(doubleClick ? base + 2 : base, flags | pressed, point);
        } else if (event->type == GDK_BUTTON_RELEASE) {
            self->post(base + 1, flags & ~pressed, point);
        }
        return TRUE;
    }

    static gboolean onMotion(GtkWidget*, GdkEventMotion* event, GtkNativeWindow* self)
    {
        // Only the newest position matters; older queued moves are dropped.
        while (TakeQueuedMessage(self->m_handle, WM_MOUSEMOVE)) {
        }
        self->post(WM_MOUSEMOVE, modifierFlags(event->state), self->clientPoint(event->x_root, event->y_root));
        gdk_event_request_motions(event);
        return TRUE;
    }

    static gboolean onLeave(GtkWidget*, GdkEventCrossing* event, GtkNativeWindow* self)
    {
        if (event->mode == GDK_CROSSING_NORMAL && !self->m_captured)
            self->post(WM_MOUSELEAVE, 0, 0);
        return FALSE;
    }

    static gboolean onScroll(GtkWidget*, GdkEventScroll* event, GtkNativeWindow* self)
    {
        int delta = 0;
        if (event->direction == GDK_SCROLL_UP)
            delta = 120;
        else if (event->direction == GDK_SCROLL_DOWN)
            delta = -120;
        else if (event->direction == GDK_SCROLL_SMOOTH)
            delta = static_cast<int>(-event->delta_y * 120);
        if (delta == 0)
            return FALSE;
        WPARAM wParam = (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16) | modifierFlags(event->state);
        self->post(WM_MOUSEWHEEL, wParam, self->clientPoint(event->x_root, event->y_root));
        return TRUE;
    }

    static gboolean onKey(GtkWidget*, GdkEventKey* event, GtkNativeWindow* self)
    {
        WPARAM key = virtualKey(event->keyval);
        LPARAM shift = static_cast<LPARAM>(modifierFlags(event->state));
        if (event->type == GDK_KEY_RELEASE) {
            gtk_im_context_filter_keypress(self->m_input, event);
            if (key)
                self->post(WM_KEYUP, key, shift);
            return TRUE;
        }
        if (key)
            self->post(WM_KEYDOWN, key, shift);
        if (event->state & GDK_CONTROL_MASK) {
            guint lower = gdk_keyval_to_lower(event->keyval);
            if (lower >= 'a' && lower <= 'z')
                self->post(WM_CHAR, lower - 'a' + 1, shift);
            return TRUE;
        }
        gtk_im_context_filter_keypress(self->m_input, event);
        return TRUE;
    }

    static void onCommit(GtkIMContext*, const gchar* text, GtkNativeWindow* self)
    {
        for (const gchar* p = text; p && *p; p = g_utf8_next_char(p)) {
            gunichar character = g_utf8_get_char(p);
            // Enter, Tab, Backspace and Escape arrive as keys already.
            if (character >= 0x20 && character != 0x7F)
                self->post(WM_CHAR, character, 0);
        }
    }

    static gboolean onConfigure(GtkWidget*, GdkEventConfigure* event, GtkNativeWindow* self)
    {
        // The window manager may place the window elsewhere than asked; follow it.
        self->m_left = event->x;
        self->m_top = event->y;
        return FALSE;
    }

    static gboolean onDelete(GtkWidget*, GdkEvent*, GtkNativeWindow* self)
    {
        self->post(WM_CLOSE, 0, 0);
        return TRUE;
    }

    HWND m_handle;
    WindowKind m_kind;
    GtkWidget* m_window { nullptr };
    GtkIMContext* m_input { nullptr };
    // The pushed pixels inside m_paintedArea, the bounds of the non-transparent ones.
    cairo_surface_t* m_painted { nullptr };
    cairo_rectangle_int_t m_paintedArea { 0, 0, 0, 0 };
    // Empty until the first push: an invisible window takes no clicks.
    cairo_region_t* m_shape { cairo_region_create() };
    struct {
        guint button { 0 };
        guint32 time { 0 };
        double x { 0 };
        double y { 0 };
    } m_lastPress;
    int m_left { 0 };
    int m_top { 0 };
    int m_width { 1 };
    int m_height { 1 };
    CursorShape m_cursor { CursorShape::Default };
    bool m_passThrough { false };
    bool m_captured { false };
};

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
        UseDesktopTheme();
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", text.c_str());
        gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
        gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
        bool done = false;
        g_signal_connect(dialog, "response", G_CALLBACK(onResponse), &done);
        gtk_widget_show_all(dialog);
        // Posted messages keep flowing while the box is up. The box stays until
        // it is answered even when the program is ending: an error found while
        // the main window closes (its settings not written) must still be read.
        auto& application = Application::Instance();
        while (!done)
            application.HandleMessage();
        gtk_widget_destroy(dialog);
    }

    std::unique_ptr<NativeWindow> CreateNativeWindow(HWND handle, WindowKind kind) override
    {
        return std::make_unique<GtkNativeWindow>(handle, kind);
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

    std::unique_ptr<TrayIcon> CreateTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target) override
    {
        return CreateGtkTrayIcon(png, tip, target);
    }

    bool IsComposited() override { return gdk_screen_is_composited(gdk_screen_get_default()); }

    void SetClipboardText(const std::string& utf8) override
    {
        std::string text = SanitizeUtf8(utf8);
        gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.data(), static_cast<gint>(text.size()));
    }

    std::optional<std::string> ClipboardText() override
    {
        // Waits in a nested loop for the owner's answer; GTK converts the
        // text targets the owner offers to UTF-8.
        gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
        if (!text)
            return std::nullopt;
        std::string result = SanitizeUtf8(text);
        g_free(text);
        return result;
    }

    bool OpenUri(const std::string& uri) override
    {
        GError* error = nullptr;
        GAppLaunchContext* context = NewLaunchContext();
        bool opened = g_app_info_launch_default_for_uri(uri.c_str(), context, &error);
        g_object_unref(context);
        if (error)
            g_error_free(error);
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
    // X11 gives per-pixel input shapes and free window placement; Wayland
    // sessions run this through XWayland.
    setenv("GDK_BACKEND", "x11", 1);
    // GDK loads the OpenGL stack to choose visuals; the program never draws with
    // it, and it costs tens of megabytes. The user's own choice stands.
    setenv("GDK_GL", "disable", 0);
    StartWithPlainTheme();
    if (!gtk_init_check(nullptr, nullptr))
        return nullptr;
    InstallDisplayLossHandler();
    return std::make_unique<GtkBackend>();
}

}
