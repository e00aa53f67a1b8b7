// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the message loop and the windows need from the desktop they run on. Two
// back ends implement it: headless (no display: tests, rendering to files) and
// GTK on X11 (the real desktop).

#include "platform/Menu.h"
#include "platform/Message.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nimbrell::platform {

struct ScreenPoint {
    int x { 0 };
    int y { 0 };
    bool operator==(const ScreenPoint&) const = default;
};

struct ScreenRect {
    int left { 0 };
    int top { 0 };
    int right { 0 };
    int bottom { 0 };
    bool operator==(const ScreenRect&) const = default;
    // The part inside other; left ≥ right or top ≥ bottom when they do not meet.
    ScreenRect Within(const ScreenRect& other) const
    {
        return { std::max(left, other.left), std::max(top, other.top), std::min(right, other.right), std::min(bottom, other.bottom) };
    }
    bool IsEmpty() const { return left >= right || top >= bottom; }
};

enum class WindowKind {
    TopLevel, // borderless, no task-bar or pager entry
    // A drop-down: placed by the program, never managed, above every other
    // window. While shown it takes the pointer and the keyboard; a press outside
    // it is not delivered but reported as WM_ACTIVATE with WA_INACTIVE (lParam:
    // the program's window under the pointer, or 0).
    Popup,
    // A hint (tooltip): placed by the program, never managed, above every other
    // window; it takes no input and no focus, the mouse passes through it.
    Hint,
};

// The native side of one window. Input reaching it becomes messages posted to
// its handle (client coordinates in lParam, see Message.h).
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual void Move(int left, int top) = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual void Resize(int width, int height) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetTitle(const std::string& title) = 0;

    // Device pixels per unit of the window's size, position and input: 2 on a
    // screen the desktop doubles. A change (the window moved to a monitor of
    // another scale) posts WM_DPICHANGED with the new scale in wParam.
    virtual int DeviceScale() const { return 1; }

    // Shows a premultiplied 0xAARRGGBB image as the window's whole content, at
    // the window's position, blended per pixel with what lies below. The image,
    // `painted` and `damage` are in device pixels: the window's size times
    // DeviceScale(), shown one image pixel to one screen pixel. Pixels of
    // alpha 0 do not take the mouse. Pixels outside `painted` are transparent and
    // are not read, so a large, mostly empty image costs only its painted part.
    // Only the pixels inside `damage` differ from the previous push, so only they
    // are read again; the first push and one of another size are read whole.
    virtual void PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted,
        std::span<const ScreenRect> damage)
        = 0;
    void PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes)
    {
        const ScreenRect whole { 0, 0, width, height };
        PushLayered(pixels, width, height, strideBytes, whole, { &whole, 1 });
    }
    // Makes a top-level window a desktop widget: on every workspace, below
    // normal windows, off the task bar and pager, not focused when shown. Call
    // before it is first shown.
    virtual void SetDesktopWidget() = 0;

    // While on, the whole window lets the mouse through.
    virtual void SetMousePassThrough(bool passThrough) = 0;
    virtual bool MousePassThrough() const = 0;

    // While captured, every mouse event goes to this window, wherever the mouse is.
    virtual void SetCapture(bool capture) = 0;
    virtual void SetCursor(CursorShape cursor) = 0;
    virtual void Focus() = 0;
    // Raises the window above the others and gives it the input focus.
    virtual void BringToFront() = 0;

    // A modal window stays above its owner and takes the input of the program's
    // other windows while it is shown.
    virtual void SetModal(NativeWindow* owner, bool modal) = 0;
    // Where the input method places its composition window (client coordinates).
    virtual void SetInputMethodCaret(int x, int y, int width, int height) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual const char* Name() const = 0;

    // Blocks until wakeFd becomes readable, native events arrive or timeoutMs
    // passes (-1: no limit). Native input is turned into posted messages here.
    virtual void WaitForEvents(int wakeFd, int timeoutMs) = 0;

    // Monotonic milliseconds.
    virtual std::uint64_t TickCount() = 0;

    // A modal message box; returns when the user has dismissed it. Posted
    // messages keep being dispatched meanwhile.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;

    virtual std::unique_ptr<NativeWindow> CreateNativeWindow(HWND handle, WindowKind kind) = 0;

    // The usable area of the monitor that holds the point (without panels).
    virtual ScreenRect WorkAreaAt(ScreenPoint point) = 0;
    // The usable area of every monitor.
    virtual std::vector<ScreenRect> WorkAreas() = 0;
    virtual ScreenPoint CursorPosition() = 0;

    // Pops a menu up at the screen point and returns at once; a chosen entry
    // posts WM_COMMAND with its index to target.
    virtual void PopupMenu(const std::vector<MenuEntry>& entries, ScreenPoint at, HWND target) = 0;
    // Shows the entries in the menu popped up for target while it is still open
    // (a command enabled as a fetch ends, a check mark set); nothing when none is.
    // The entries are the popup's, changed: their count and order stay.
    virtual void UpdatePopupMenu(const std::vector<MenuEntry>& entries, HWND target) = 0;
    // The notification-area icon with the picture (PNG bytes) and the tip; it
    // posts TrayIconMessage to target and goes when the result is destroyed.
    virtual std::unique_ptr<TrayIcon> CreateTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target) = 0;

    // Whether a compositor blends windows per pixel; without one, transparent
    // pixels show black.
    virtual bool IsComposited() = 0;

    // The desktop's clipboard as UTF-8 text. Reading gives nothing when it holds
    // no text; what it gives is valid UTF-8.
    virtual void SetClipboardText(const std::string& utf8) = 0;
    virtual std::optional<std::string> ClipboardText() = 0;

    // Opens the address with the desktop's handler for its kind (a web page in
    // the user's browser); false when none took it.
    virtual bool OpenUri(const std::string& uri) = 0;
};

}
