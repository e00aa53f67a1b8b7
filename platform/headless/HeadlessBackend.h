// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The back end without a display: windows keep their geometry and the last image
// pushed to them, message boxes go to standard error and are kept for
// inspection. With a manual clock time stands still until AdvanceClock, so timer
// tests are deterministic.

#include "platform/Backend.h"
#include "base/Utf.h"

#include <string>
#include <vector>

namespace nimbrell::platform {

enum class ClockKind {
    Real,
    Manual
};

class HeadlessWindow final : public NativeWindow {
public:
    explicit HeadlessWindow(WindowKind kind = WindowKind::TopLevel, HWND handle = 0, int deviceScale = 1)
        : m_kind(kind)
        , m_handle(handle)
        , m_deviceScale(deviceScale)
    {
    }

    WindowKind Kind() const { return m_kind; }
    void Move(int left, int top) override;
    int Left() const override { return m_left; }
    int Top() const override { return m_top; }
    void Resize(int width, int height) override;
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Show() override { m_visible = true; }
    void Hide() override { m_visible = false; }
    bool IsVisible() const override { return m_visible; }
    void SetTitle(const std::string& title) override { m_title = title; }
    int DeviceScale() const override { return m_deviceScale; }
    // As if the window had moved to a screen of that scale.
    void SetDeviceScale(int scale);
    void PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted,
        std::span<const ScreenRect> damage) override;
    void SetDesktopWidget() override { m_desktopWidget = true; }
    void SetMousePassThrough(bool passThrough) override { m_passThrough = passThrough; }
    bool MousePassThrough() const override { return m_passThrough; }
    void SetCapture(bool capture) override { m_captured = capture; }
    void SetCursor(CursorShape cursor) override { m_cursor = cursor; }
    void Focus() override { }
    void BringToFront() override { ++m_raised; }
    void SetModal(NativeWindow*, bool modal) override { m_modal = modal; }
    void SetInputMethodCaret(int, int, int, int) override { }

    const std::string& Title() const { return m_title; }
    bool Captured() const { return m_captured; }
    bool Modal() const { return m_modal; }
    bool DesktopWidget() const { return m_desktopWidget; }
    CursorShape Cursor() const { return m_cursor; }
    int PushCount() const { return m_pushes; }
    int RaiseCount() const { return m_raised; }
    // The image the pushes built, rows packed (stride = width): like a desktop
    // window, each push after the first of a size reads only its damage, so a
    // change that a push leaves out of its damage stays unseen here too.
    const std::vector<std::uint32_t>& PushedPixels() const { return m_pixels; }
    // The last image's size in device pixels.
    int PushedWidth() const { return m_pushedWidth; }
    int PushedHeight() const { return m_pushedHeight; }
    // The last push's damage within the window: all of it for a first push or one
    // of another size.
    const std::vector<ScreenRect>& PushedDamage() const { return m_damage; }

private:
    WindowKind m_kind;
    HWND m_handle;
    int m_deviceScale;
    std::string m_title;
    std::vector<std::uint32_t> m_pixels;
    std::vector<ScreenRect> m_damage;
    int m_pushedWidth { 0 };
    int m_pushedHeight { 0 };
    int m_left { 0 };
    int m_top { 0 };
    int m_width { 0 };
    int m_height { 0 };
    int m_pushes { 0 };
    int m_raised { 0 };
    CursorShape m_cursor { CursorShape::Default };
    bool m_visible { false };
    bool m_passThrough { false };
    bool m_captured { false };
    bool m_modal { false };
    bool m_desktopWidget { false };
};

class HeadlessBackend final : public Backend {
public:
    // Windows get the device scale (pixels per unit) given here.
    explicit HeadlessBackend(ClockKind clock = ClockKind::Real, int deviceScale = 1);

    const char* Name() const override { return "headless"; }
    void WaitForEvents(int wakeFd, int timeoutMs) override;
    std::uint64_t TickCount() override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    std::unique_ptr<NativeWindow> CreateNativeWindow(HWND handle, WindowKind kind) override;
    ScreenRect WorkAreaAt(ScreenPoint point) override;
    std::vector<ScreenRect> WorkAreas() override { return { m_workArea }; }
    ScreenPoint CursorPosition() override { return m_cursor; }
    void PopupMenu(const std::vector<MenuEntry>& entries, ScreenPoint at, HWND target) override;
    // A headless menu stays open: the latest popup for target takes the entries.
    void UpdatePopupMenu(const std::vector<MenuEntry>& entries, HWND target) override;
    std::unique_ptr<TrayIcon> CreateTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target) override;
    bool IsComposited() override { return true; }
    void SetClipboardText(const std::string& utf8) override { m_clipboard = SanitizeUtf8(utf8); }
    std::optional<std::string> ClipboardText() override
    {
        if (!m_clipboard)
            return std::nullopt;
        return SanitizeUtf8(*m_clipboard);
    }

    // Records the address only.
    bool OpenUri(const std::string& uri) override
    {
        m_openedUris.push_back(uri);
        return true;
    }

    void AdvanceClock(std::uint64_t milliseconds) { m_manualNow += milliseconds; }
    void SetCursorPosition(ScreenPoint point) { m_cursor = point; }
    void SetWorkArea(ScreenRect area) { m_workArea = area; }
    // What another program would leave on the clipboard: raw bytes, or no text.
    void SetRawClipboard(std::optional<std::string> bytes) { m_clipboard = std::move(bytes); }

    struct MessageBoxRecord {
        std::string text;
        std::string caption;
    };
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }
    const std::vector<std::string>& OpenedUris() const { return m_openedUris; }

    // Every popup menu shown; a test chooses an entry by posting WM_COMMAND itself.
    struct PopupRecord {
        std::vector<MenuEntry> entries;
        ScreenPoint at;
        HWND target { 0 };
    };
    const std::vector<PopupRecord>& Popups() const { return m_popups; }

    // The notification-area icons alive now.
    struct TrayRecord {
        std::string tip;
        std::size_t pictureBytes { 0 };
        HWND target { 0 };
        std::vector<MenuEntry> menu;
        HWND menuTarget { 0 };
        bool docked { true };
    };
    const std::vector<TrayRecord*>& TrayIcons() const { return m_trayIcons; }
    // Docks the icons (those alive, and those made later) or takes them out of
    // the tray, as a tray starting or going away would; each that changes tells
    // its target. Docked by default.
    void SetTraysDocked(bool docked);

private:
    ClockKind m_clock;
    int m_deviceScale;
    std::uint64_t m_manualNow { 1000 };
    std::vector<MessageBoxRecord> m_messageBoxes;
    std::vector<std::string> m_openedUris;
    std::vector<PopupRecord> m_popups;
    std::vector<TrayRecord*> m_trayIcons;
    bool m_traysDocked { true };
    ScreenPoint m_cursor;
    ScreenRect m_workArea { 0, 0, 1920, 1080 };
    std::optional<std::string> m_clipboard;
};

}
