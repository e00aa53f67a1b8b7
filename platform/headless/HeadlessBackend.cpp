// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/headless/HeadlessBackend.h"

#include "platform/MessageQueue.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <poll.h>

namespace nimbrell::platform {

void HeadlessWindow::Move(int left, int top)
{
    m_left = left;
    m_top = top;
}

void HeadlessWindow::Resize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void HeadlessWindow::PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted,
    std::span<const ScreenRect> damage)
{
    ++m_pushes;
    const ScreenRect whole { 0, 0, width, height };
    m_damage.clear();
    if (width != m_pushedWidth || height != m_pushedHeight || m_pixels.empty()) {
        m_pushedWidth = width;
        m_pushedHeight = height;
        m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        m_damage.push_back(whole);
    } else {
        for (const ScreenRect& rect : damage) {
            if (ScreenRect inside = rect.Within(whole); !inside.IsEmpty())
                m_damage.push_back(inside);
        }
    }
    const ScreenRect readable = painted.Within(whole);
    for (const ScreenRect& rect : m_damage) {
        for (int y = rect.top; y < rect.bottom; ++y) {
            std::uint32_t* target = m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            std::fill(target + rect.left, target + rect.right, 0u);
            if (y < readable.top || y >= readable.bottom)
                continue;
            const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(y) * strideBytes);
            int left = std::max(rect.left, readable.left), right = std::min(rect.right, readable.right);
            if (left < right)
                std::copy(row + left, row + right, target + left);
        }
    }
}

void HeadlessWindow::SetDeviceScale(int scale)
{
    if (scale < 1 || scale == m_deviceScale)
        return;
    m_deviceScale = scale;
    PostMessage(m_handle, WM_DPICHANGED, static_cast<WPARAM>(scale), 0);
}

HeadlessBackend::HeadlessBackend(ClockKind clock, int deviceScale)
    : m_clock(clock)
    , m_deviceScale(std::max(deviceScale, 1))
{
}

void HeadlessBackend::WaitForEvents(int wakeFd, int timeoutMs)
{
    // Under a manual clock no time passes while waiting; only a post wakes us.
    if (m_clock == ClockKind::Manual)
        timeoutMs = -1;
    pollfd descriptor { wakeFd, POLLIN, 0 };
    // A signal handler that wants the loop awake writes the wake descriptor, so
    // retrying after EINTR cannot miss it.
    while (poll(&descriptor, 1, timeoutMs) < 0 && errno == EINTR) {
    }
}

std::uint64_t HeadlessBackend::TickCount()
{
    if (m_clock == ClockKind::Manual)
        return m_manualNow;
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void HeadlessBackend::ShowMessageBox(const std::string& text, const std::string& caption)
{
    m_messageBoxes.push_back({ text, caption });
    std::cerr << "[" << caption << "] " << text << std::endl;
}

std::unique_ptr<NativeWindow> HeadlessBackend::CreateNativeWindow(HWND handle, WindowKind kind)
{
    return std::make_unique<HeadlessWindow>(kind, handle, m_deviceScale);
}

void HeadlessBackend::PopupMenu(const std::vector<MenuEntry>& entries, ScreenPoint at, HWND target)
{
    m_popups.push_back({ entries, at, target });
}

void HeadlessBackend::UpdatePopupMenu(const std::vector<MenuEntry>& entries, HWND target)
{
    auto open = std::find_if(m_popups.rbegin(), m_popups.rend(), [target](const PopupRecord& popup) { return popup.target == target; });
    if (open != m_popups.rend())
        open->entries = entries;
}

namespace {

class HeadlessTrayIcon final : public TrayIcon {
public:
    HeadlessTrayIcon(std::vector<HeadlessBackend::TrayRecord*>& icons, HeadlessBackend::TrayRecord record)
        : m_icons(icons)
        , m_record(std::move(record))
    {
        m_icons.push_back(&m_record);
    }
    ~HeadlessTrayIcon() override { std::erase(m_icons, &m_record); }

    void SetMenu(const std::vector<MenuEntry>& entries, HWND menuTarget) override
    {
        m_record.menu = entries;
        m_record.menuTarget = menuTarget;
    }
    bool Docked() const override { return m_record.docked; }
    void SetTip(const std::string& tip) override { m_record.tip = tip; }
    const char* Kind() const override { return "headless"; }

private:
    std::vector<HeadlessBackend::TrayRecord*>& m_icons;
    HeadlessBackend::TrayRecord m_record;
};

}

std::unique_ptr<TrayIcon> HeadlessBackend::CreateTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target)
{
    return std::make_unique<HeadlessTrayIcon>(m_trayIcons, TrayRecord { tip, png.size(), target, {}, 0, m_traysDocked });
}

void HeadlessBackend::SetTraysDocked(bool docked)
{
    m_traysDocked = docked;
    for (TrayRecord* icon : m_trayIcons) {
        if (icon->docked == docked)
            continue;
        icon->docked = docked;
        PostMessage(icon->target, TrayIconMessage, 0, TrayIconDockChanged);
    }
}

ScreenRect HeadlessBackend::WorkAreaAt(ScreenPoint)
{
    return m_workArea;
}

}
