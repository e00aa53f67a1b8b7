// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/DesktopWindow.h"

#include "platform/MessageQueue.h"
#include "platform/gtk/AlphaRegion.h"
#include "platform/gtk/DesktopBackground.h"
#include "platform/gtk/GtkMenus.h"
#include "platform/gtk/GtkToolkit.h"
#include "platform/gtk/LayeredImage.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
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

class DesktopWindow;

// The program's own windows: events are routed to them by their GDK window, and a
// popup can say which one a press outside it hit.
std::vector<DesktopWindow*>& nativeWindows()
{
    static std::vector<DesktopWindow*> windows;
    return windows;
}

// A window of the program's own on a bare GDK window: it paints every pixel
// itself, so GTK's widget machinery would only add its cost.
class DesktopWindow final : public NativeWindow {
public:
    DesktopWindow(HWND handle, WindowKind kind)
        : m_handle(handle)
        , m_kind(kind)
    {
        watchDesktopOnce();
        nativeWindows().push_back(this);
        GdkWindowAttr attributes {};
        attributes.window_type = kind == WindowKind::TopLevel ? GDK_WINDOW_TOPLEVEL : GDK_WINDOW_TEMP;
        attributes.wclass = GDK_INPUT_OUTPUT;
        attributes.width = m_width;
        attributes.height = m_height;
        attributes.event_mask = GDK_EXPOSURE_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK
            | GDK_LEAVE_NOTIFY_MASK | GDK_ENTER_NOTIFY_MASK | GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK | GDK_KEY_PRESS_MASK
            | GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK | GDK_FOCUS_CHANGE_MASK;
        attributes.type_hint = kind == WindowKind::Popup ? GDK_WINDOW_TYPE_HINT_COMBO
            : kind == WindowKind::Hint                   ? GDK_WINDOW_TYPE_HINT_TOOLTIP
                                                         : GDK_WINDOW_TYPE_HINT_NORMAL;
        // The window manager groups the program's windows by their class.
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        attributes.wmclass_name = const_cast<gchar*>(g_get_prgname() ? g_get_prgname() : "nimbrell");
        attributes.wmclass_class = const_cast<gchar*>(gdk_get_program_class());
        gint mask = GDK_WA_X | GDK_WA_Y | GDK_WA_TYPE_HINT | GDK_WA_WMCLASS;
        G_GNUC_END_IGNORE_DEPRECATIONS
        if ((attributes.visual = gdk_screen_get_rgba_visual(gdk_screen_get_default())))
            mask |= GDK_WA_VISUAL;
        m_native = gdk_window_new(nullptr, &attributes, mask);
        m_scale = std::max(gdk_window_get_scale_factor(m_native), 1);
        if (kind == WindowKind::TopLevel) {
            gdk_window_set_decorations(m_native, static_cast<GdkWMDecoration>(0));
            gdk_window_set_skip_taskbar_hint(m_native, TRUE);
            gdk_window_set_skip_pager_hint(m_native, TRUE);
            if (GList* icons = ProgramIcons())
                gdk_window_set_icon_list(m_native, icons);
        } else {
            gdk_window_set_keep_above(m_native, TRUE);
        }
        if (kind == WindowKind::Hint) {
            gdk_window_set_accept_focus(m_native, FALSE);
            m_passThrough = true;
        }
        setGeometryHints();
    }

    ~DesktopWindow() override
    {
        std::erase(nativeWindows(), this);
        releaseGrab();
        if (m_input) {
            g_signal_handlers_disconnect_by_data(m_input.get(), this);
            gtk_im_context_set_client_window(m_input.get(), nullptr);
            m_input.reset();
        }
        gdk_window_destroy(m_native);
    }

    void Move(int left, int top) override
    {
        m_left = left;
        m_top = top;
        gdk_window_move(m_native, left, top);
    }
    int Left() const override { return m_left; }
    int Top() const override { return m_top; }

    void Resize(int width, int height) override
    {
        m_width = std::max(width, 1);
        m_height = std::max(height, 1);
        setGeometryHints();
        gdk_window_resize(m_native, m_width, m_height);
    }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }

    void Show() override
    {
        gdk_window_move(m_native, m_left, m_top);
        // Cut before it maps: without a compositor, nothing pushed yet shows nothing.
        applyBoundingShape();
        gdk_window_show(m_native);
        // The window manager may have placed it on mapping; the program's place stands.
        gdk_window_move(m_native, m_left, m_top);
        m_visible = true;
        applyInputShape();
        if (m_kind == WindowKind::TopLevel && !startupNoticeSent()) {
            startupNoticeSent() = true;
            gdk_notify_startup_complete();
        }
    }
    void Hide() override
    {
        releaseGrab();
        m_visible = false;
        gdk_window_hide(m_native);
    }
    bool IsVisible() const override { return m_visible; }
    void SetTitle(const std::string& title) override { gdk_window_set_title(m_native, title.c_str()); }
    int DeviceScale() const override { return m_scale; }

    void PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted,
        std::span<const ScreenRect> damage) override
    {
        if (width <= 0 || height <= 0)
            return;
        // The image is in device pixels, the window in units.
        const int unitsWide = (width + m_scale - 1) / m_scale, unitsHigh = (height + m_scale - 1) / m_scale;
        bool resized = unitsWide != m_width || unitsHigh != m_height;
        if (resized)
            Resize(unitsWide, unitsHigh);
        // Only the bounds of the painted pixels are kept, and only the damage is
        // read, shaped and drawn again: a layered window is mostly transparent and
        // a frame mostly changes a few of its parts.
        bool whole = resized || !m_pushed;
        m_pushed = true;
        if (m_image.Push(pixels, width, height, strideBytes, painted, damage, whole))
            applyInputShape();
        if (whole) {
            gdk_window_invalidate_rect(m_native, nullptr, FALSE);
            applyBoundingShape();
            return;
        }
        for (const cairo_rectangle_int_t& changed : m_image.Changed()) {
            cairo_rectangle_int_t units = RectInUnits(changed, m_scale);
            gdk_window_invalidate_rect(m_native, &units, FALSE);
        }
        applyBoundingShape();
    }

    void SetDesktopWidget() override
    {
        m_desktopWidget = true;
        gdk_window_stick(m_native);
        gdk_window_set_keep_below(m_native, TRUE);
        gdk_window_set_focus_on_map(m_native, FALSE);
    }

    void SetMousePassThrough(bool passThrough) override
    {
        if (m_passThrough == passThrough)
            return;
        m_passThrough = passThrough;
        applyInputShape();
        // The new shape is in force for every client's input once this returns.
        gdk_display_sync(gdk_window_get_display(m_native));
    }
    bool MousePassThrough() const override { return m_passThrough; }

    void SetCapture(bool capture) override
    {
        // A shown popup holds the pointer already; a hint never takes it.
        if (m_kind != WindowKind::TopLevel)
            return;
        if (capture && !m_captured)
            m_captured = gdk_seat_grab(seat(), m_native, GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE, nullptr, nullptr, nullptr, nullptr) == GDK_GRAB_SUCCESS;
        else if (!capture)
            releaseGrab();
    }

    void SetCursor(CursorShape cursor) override
    {
        if (cursor == m_cursor)
            return;
        m_cursor = cursor;
        Owned<GdkCursor, g_object_unref> shape(gdk_cursor_new_from_name(gdk_window_get_display(m_native), cursorName(cursor)));
        gdk_window_set_cursor(m_native, shape.get());
    }

    void Focus() override { present(); }
    void BringToFront() override
    {
        present();
        // A desktop widget stays below the user's windows.
        if (!m_desktopWidget)
            gdk_window_raise(m_native);
    }

    void SetModal(NativeWindow* owner, bool modal) override
    {
        auto* ownerWindow = static_cast<DesktopWindow*>(owner);
        if (modal && ownerWindow)
            gdk_window_set_transient_for(m_native, ownerWindow->m_native);
        else
            gdk_property_delete(m_native, gdk_atom_intern_static_string("WM_TRANSIENT_FOR"));
        gdk_window_set_modal_hint(m_native, modal);
        // Above its owner even when that is a desktop widget kept below the others.
        gdk_window_set_keep_above(m_native, modal);
        m_modal = modal;
    }

    void SetInputMethodCaret(int x, int y, int width, int height) override
    {
        m_caret = { x, y, width, height };
        if (m_input)
            gtk_im_context_set_cursor_location(m_input.get(), &m_caret);
    }

    GdkWindow* Native() const { return m_native; }

    bool Captured() const { return m_captured; }

    // After the grabs ended: a held leave counts unless the pointer is over the
    // window again.
    void AfterGrab()
    {
        if (!m_leaveHeld)
            return;
        m_leaveHeld = false;
        GdkDevice* pointer = gdk_seat_get_pointer(seat());
        // Asks the server; the input shape counts.
        if (gdk_device_get_window_at_position(pointer, nullptr, nullptr) != m_native)
            post(WM_MOUSELEAVE, 0, 0);
    }

    void HandleEvent(GdkEvent* event)
    {
        if (GtkWidgetHoldsInput(event) || blockedByModalWindow(event))
            return;
        switch (event->type) {
        case GDK_EXPOSE: paint(event->expose.region); break;
        case GDK_BUTTON_PRESS:
        case GDK_BUTTON_RELEASE: onButton(&event->button); break;
        case GDK_MOTION_NOTIFY: onMotion(&event->motion); break;
        case GDK_LEAVE_NOTIFY: onLeave(&event->crossing); break;
        case GDK_ENTER_NOTIFY: m_leaveHeld = false; break;
        case GDK_SCROLL: onScroll(&event->scroll); break;
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE: onKey(&event->key); break;
        case GDK_FOCUS_CHANGE:
            m_focused = event->focus_change.in;
            if (m_input)
                (m_focused ? gtk_im_context_focus_in : gtk_im_context_focus_out)(m_input.get());
            break;
        case GDK_CONFIGURE:
            // GDK resizes a window whose scale changes.
            followScale();
            // The window manager may place the window elsewhere than asked; follow it.
            if (m_bounding && (m_left != event->configure.x || m_top != event->configure.y))
                gdk_window_invalidate_rect(m_native, nullptr, FALSE); // the background under it changed
            m_left = event->configure.x;
            m_top = event->configure.y;
            break;
        case GDK_MAP:
            if (m_kind == WindowKind::Popup)
                grabForPopup();
            break;
        case GDK_GRAB_BROKEN:
            if (m_captured) {
                m_captured = false;
                post(WM_ACTIVATE, WA_INACTIVE, 0);
                PointerGrabEnded();
            }
            break;
        case GDK_DELETE: post(WM_CLOSE, 0, 0); break;
        default: break;
        }
    }

private:
    void post(std::uint32_t message, WPARAM wParam, LPARAM lParam) { PostMessage(m_handle, message, wParam, lParam); }

    static bool& startupNoticeSent()
    {
        static bool sent = false;
        return sent;
    }

    void setGeometryHints()
    {
        if (m_kind != WindowKind::TopLevel)
            return;
        // Fixed size, and placed where the program puts it.
        GdkGeometry geometry {};
        geometry.min_width = geometry.max_width = m_width;
        geometry.min_height = geometry.max_height = m_height;
        gdk_window_set_geometry_hints(m_native, &geometry, static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE | GDK_HINT_USER_POS));
    }

    void present()
    {
        if (!m_visible) {
            Show();
            return;
        }
        gdk_window_show(m_native);
        gdk_window_focus(m_native, LastUserTime());
    }

    // Input for a top-level window waits while another of the program's windows is
    // shown modally; popups and hints stay usable, like a drop-down of the dialog.
    bool blockedByModalWindow(const GdkEvent* event) const
    {
        if (m_kind != WindowKind::TopLevel || m_modal || !IsInputEvent(event))
            return false;
        return std::ranges::any_of(nativeWindows(), [this](const DesktopWindow* window) { return window != this && window->m_modal && window->m_visible; });
    }

    GdkSeat* seat() const { return gdk_display_get_default_seat(gdk_window_get_display(m_native)); }

    void releaseGrab()
    {
        if (!m_captured)
            return;
        m_captured = false;
        gdk_seat_ungrab(seat());
        PointerGrabEnded();
    }

    // A leave while a grab holds the pointer (the window's own capture, a menu)
    // waits for the grab's end: a menu's grab takes the pointer from the window
    // though it has not moved, and the pointer may come back before the end. A
    // leave a grab's start or end causes is settled by where the pointer is then.
    void onLeave(const GdkEventCrossing* crossing)
    {
        if (crossing->mode == GDK_CROSSING_NORMAL && !PointerGrabbed()) {
            post(WM_MOUSELEAVE, 0, 0);
            return;
        }
        m_leaveHeld = true;
        if (crossing->mode != GDK_CROSSING_NORMAL)
            PointerGrabEnded();
    }

    // A popup takes pointer and keyboard while shown, like a menu: presses
    // outside it come here instead of reaching other windows.
    void grabForPopup()
    {
        m_captured = gdk_seat_grab(seat(), m_native, GDK_SEAT_CAPABILITY_ALL, FALSE, nullptr, nullptr, nullptr, nullptr) == GDK_GRAB_SUCCESS;
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

    static int desktopSetting(const char* name, int fallback)
    {
        GValue value = G_VALUE_INIT;
        g_value_init(&value, G_TYPE_INT);
        int result = gdk_screen_get_setting(gdk_screen_get_default(), name, &value) ? g_value_get_int(&value) : fallback;
        g_value_unset(&value);
        return result;
    }

    // A press soon after another of the same button, near it, is a double click;
    // the press after a double click starts over. GDK's own double-press event
    // comes after a second plain press, which would make one press too many.
    bool isSecondClick(const GdkEventButton* event)
    {
        int time = desktopSetting("gtk-double-click-time", 400);
        int distance = desktopSetting("gtk-double-click-distance", 5);
        bool second = m_lastPress.button == event->button && event->time - m_lastPress.time <= static_cast<guint32>(time)
            && std::abs(event->x_root - m_lastPress.x) <= distance && std::abs(event->y_root - m_lastPress.y) <= distance;
        if (second)
            m_lastPress = {};
        else
            m_lastPress = { event->button, event->time, event->x_root, event->y_root };
        return second;
    }

    void applyInputShape()
    {
        if (m_passThrough) {
            Region empty(cairo_region_create());
            gdk_window_input_shape_combine_region(m_native, empty.get(), 0, 0);
        } else if (m_scale == 1) {
            gdk_window_input_shape_combine_region(m_native, m_image.Shape(), 0, 0);
        } else {
            // GDK takes shapes in units; a unit with any painted pixel takes the mouse.
            gdk_window_input_shape_combine_region(m_native, RegionInUnits(m_image.Shape(), m_scale).get(), 0, 0);
        }
    }

    // A window moved to a monitor of another scale is drawn again at it.
    void followScale()
    {
        int scale = std::max(gdk_window_get_scale_factor(m_native), 1);
        if (scale == m_scale)
            return;
        m_scale = scale;
        m_pushed = false;
        post(WM_DPICHANGED, static_cast<WPARAM>(scale), 0);
    }

    // Without a compositor the window is cut to the pixels of more than this
    // alpha; fainter ones would only be a dark fringe around the picture.
    static constexpr std::uint8_t kShownAlpha = 0x40;

    static void watchDesktopOnce()
    {
        static bool watching = false;
        if (watching)
            return;
        watching = true;
        WatchDesktop([](DesktopChange change) {
            for (auto* window : nativeWindows())
                window->followDesktop(change);
        });
    }

    void followDesktop(DesktopChange change)
    {
        if (change == DesktopChange::Monitors) {
            followScale();
            if (m_kind == WindowKind::TopLevel)
                post(WM_DISPLAYCHANGE, 0, 0);
            return;
        }
        applyBoundingShape();
        gdk_window_invalidate_rect(m_native, nullptr, FALSE);
    }

    // With a compositor the window blends per pixel and has no bounding shape;
    // without one it shows only its well painted pixels, over the desktop's
    // background.
    void applyBoundingShape()
    {
        bool composited = DesktopComposited();
        if (composited && !m_bounding)
            return;
        m_bounding.reset();
        if (!composited) {
            cairo_surface_t* kept = m_image.Surface();
            const cairo_rectangle_int_t& area = m_image.Area();
            m_bounding = kept ? RegionAboveAlpha(cairo_image_surface_get_data(kept), area.width, area.height, cairo_image_surface_get_stride(kept), kShownAlpha, area.x, area.y)
                              : Region(cairo_region_create());
            if (m_scale != 1)
                m_bounding = RegionInUnits(m_bounding.get(), m_scale);
        }
        gdk_window_shape_combine_region(m_native, m_bounding.get(), 0, 0);
    }

    void paint(const cairo_region_t* region)
    {
        GdkDrawingContext* context = gdk_window_begin_draw_frame(m_native, region);
        cairo_t* cr = gdk_drawing_context_get_cairo_context(context);
        if (m_bounding) {
            PaintDesktopBackground(cr, m_left, m_top, m_scale);
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        } else {
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_rgba(cr, 0, 0, 0, 0);
            cairo_paint(cr);
        }
        if (cairo_surface_t* kept = m_image.Surface()) {
            const cairo_rectangle_int_t& area = m_image.Area();
            if (m_scale == 1) {
                cairo_set_source_surface(cr, kept, area.x, area.y);
                cairo_rectangle(cr, area.x, area.y, area.width, area.height);
            } else {
                // One kept pixel to one device pixel of the window, not enlarged.
                const double k = m_scale;
                Owned<cairo_pattern_t, cairo_pattern_destroy> pixels(cairo_pattern_create_for_surface(kept));
                cairo_matrix_t toPixels;
                cairo_matrix_init_scale(&toPixels, k, k);
                cairo_matrix_translate(&toPixels, -area.x / k, -area.y / k);
                cairo_pattern_set_matrix(pixels.get(), &toPixels);
                cairo_pattern_set_filter(pixels.get(), CAIRO_FILTER_NEAREST);
                cairo_set_source(cr, pixels.get());
                cairo_rectangle(cr, area.x / k, area.y / k, area.width / k, area.height / k);
            }
            cairo_fill(cr);
        }
        gdk_window_end_draw_frame(m_native, context);
    }

    void onButton(const GdkEventButton* event)
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
        default: return;
        }
        WPARAM flags = modifierFlags(event->state);
        LPARAM point = clientPoint(event->x_root, event->y_root);
        if (m_kind == WindowKind::Popup && !containsRootPoint(event->x_root, event->y_root)) {
            if (event->type == GDK_BUTTON_PRESS)
                post(WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(windowAt(event->x_root, event->y_root)));
            return;
        }
        if (event->type == GDK_BUTTON_PRESS) {
            bool doubleClick = isSecondClick(event);
            post(doubleClick ? base + 2 : base, flags | pressed, point);
        } else if (event->type == GDK_BUTTON_RELEASE) {
            post(base + 1, flags & ~pressed, point);
        }
        return;
    }

    void onMotion(GdkEventMotion* event)
    {
        // Only the newest position matters; older queued moves are dropped.
        while (TakeQueuedMessage(m_handle, WM_MOUSEMOVE)) {
        }
        post(WM_MOUSEMOVE, modifierFlags(event->state), clientPoint(event->x_root, event->y_root));
        gdk_event_request_motions(event);
        return;
    }

    void onScroll(const GdkEventScroll* event)
    {
        int delta = 0;
        if (event->direction == GDK_SCROLL_UP)
            delta = 120;
        else if (event->direction == GDK_SCROLL_DOWN)
            delta = -120;
        else if (event->direction == GDK_SCROLL_SMOOTH)
            delta = static_cast<int>(-event->delta_y * 120);
        if (delta == 0)
            return;
        WPARAM wParam = (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16) | modifierFlags(event->state);
        post(WM_MOUSEWHEEL, wParam, clientPoint(event->x_root, event->y_root));
        return;
    }

    // The input method, started with GTK when the window first takes a key.
    GtkIMContext* inputMethod()
    {
        if (m_input)
            return m_input.get();
        EnsureGtk();
        m_input.reset(gtk_im_multicontext_new());
        g_signal_connect(m_input.get(), "commit", G_CALLBACK(onCommit), this);
        gtk_im_context_set_client_window(m_input.get(), m_native);
        gtk_im_context_set_cursor_location(m_input.get(), &m_caret);
        if (m_focused)
            gtk_im_context_focus_in(m_input.get());
        return m_input.get();
    }

    void onKey(GdkEventKey* event)
    {
        WPARAM key = virtualKey(event->keyval);
        LPARAM shift = static_cast<LPARAM>(modifierFlags(event->state));
        if (event->type == GDK_KEY_RELEASE) {
            gtk_im_context_filter_keypress(inputMethod(), event);
            if (key)
                post(WM_KEYUP, key, shift);
            return;
        }
        if (key)
            post(WM_KEYDOWN, key, shift);
        if (event->state & GDK_CONTROL_MASK) {
            guint lower = gdk_keyval_to_lower(event->keyval);
            if (lower >= 'a' && lower <= 'z')
                post(WM_CHAR, lower - 'a' + 1, shift);
            return;
        }
        gtk_im_context_filter_keypress(inputMethod(), event);
    }

    static void onCommit(GtkIMContext*, const gchar* text, DesktopWindow* self)
    {
        for (const gchar* p = text; p && *p; p = g_utf8_next_char(p)) {
            gunichar character = g_utf8_get_char(p);
            // Enter, Tab, Backspace and Escape arrive as keys already.
            if (character >= 0x20 && character != 0x7F)
                self->post(WM_CHAR, character, 0);
        }
    }

    HWND m_handle;
    WindowKind m_kind;
    GdkWindow* m_native { nullptr };
    Owned<GtkIMContext, g_object_unref> m_input;
    GdkRectangle m_caret { 0, 0, 0, 0 };
    // What the pushes showed; its shape is empty until the first push, so an
    // invisible window takes no clicks.
    LayeredImage m_image;
    bool m_pushed { false };
    // What the window shows without a compositor; null with one.
    Region m_bounding;
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
    // Device pixels per unit; the pushed images are in device pixels.
    int m_scale { 1 };
    CursorShape m_cursor { CursorShape::Default };
    bool m_visible { false };
    bool m_focused { false };
    bool m_modal { false };
    bool m_desktopWidget { false };
    bool m_passThrough { false };
    bool m_captured { false };
    bool m_leaveHeld { false };
};

}

bool PointerGrabbed()
{
    return GtkMenuOpen() || std::ranges::any_of(nativeWindows(), [](const DesktopWindow* window) { return window->Captured(); });
}

void PointerGrabEnded()
{
    static guint pending = 0;
    if (pending)
        return;
    // The crossings the ungrab causes come first (the round trip queues them, and
    // queued events go before a low-priority idle): a window the pointer is over
    // again has heard so by then.
    gdk_display_sync(gdk_display_get_default());
    pending = g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer) {
            pending = 0;
            if (!PointerGrabbed()) {
                for (auto* window : nativeWindows())
                    window->AfterGrab();
            }
            return G_SOURCE_REMOVE;
        },
        nullptr, nullptr);
}

bool RouteToDesktopWindow(GdkEvent* event)
{
    for (auto* window : nativeWindows()) {
        if (window->Native() == event->any.window) {
            window->HandleEvent(event);
            return true;
        }
    }
    return false;
}

std::unique_ptr<NativeWindow> CreateDesktopWindow(HWND handle, WindowKind kind)
{
    return std::make_unique<DesktopWindow>(handle, kind);
}

}
