// SPDX-License-Identifier: GPL-3.0-or-later
// How the user handles the widget: the application-wide hook that decides
// between dragging and the popup menu, the five-day panel's modes, the menu
// commands and the notification-area icon.

#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "platform/Application.h"
#include "platform/Resources.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/shapes/TvxRectangle.h"

#include <iostream>
#include <malloc.h>

namespace nimbrell {

void TFormWeather::AppMessageHook(platform::Message& message)
{
    // Installed before the scene is read; a scene that could not be read has nothing to switch.
    if (!m_widget.Root1)
        return;
    bool pinned = m_widget.N4->Checked();
    switch (message.message) {
    case platform::WM_LBUTTONDOWN:
        if (!pinned)
            m_widget.Root1->SetHitTest(false);
        break;
    case platform::WM_RBUTTONDOWN:
        m_widget.Root1->SetHitTest(true);
        break;
    case platform::WM_LBUTTONDBLCLK:
        if (!pinned && State().ShowMoreMode == "1")
            SetPanelVisible(true);
        break;
    case platform::WM_MOUSELEAVE:
        if (message.hwnd == Handle() && m_mouseInside) {
            m_mouseInside = false;
            MouseLeft();
        }
        break;
    default:
        break;
    }
    // Any mouse message of the window means the mouse is over it.
    bool mouseMessage = message.message >= platform::WM_MOUSEMOVE && message.message <= platform::WM_MOUSEWHEEL;
    if (mouseMessage && message.hwnd == Handle() && !m_mouseInside) {
        m_mouseInside = true;
        MouseEntered();
    }
}

void TFormWeather::MouseEntered()
{
    if (State().ShowMoreMode == "0")
        SetPanelVisible(true);
}

void TFormWeather::MouseLeft()
{
    if (m_widget.N3->Checked())
        return;
    SetPanelVisible(false);
    TrimWorkingSet();
}

// Each time the panel becomes visible its fade-in and slide-down run (their
// trigger is "IsVisible=true").
void TFormWeather::SetPanelVisible(bool visible)
{
    m_widget.RectangleMore->SetVisible(visible);
}

void TFormWeather::ReturnFreedMemory()
{
    malloc_trim(0);
}

void TFormWeather::TrimWorkingSet()
{
    ReturnFreedMemory();
    platform::Application::Instance().ProcessMessages();
}

void TFormWeather::ConnectMenu()
{
    m_widget.N1->OnClick = [this] { getWeather(); };
    m_widget.N3->OnClick = [this] { ToggleFiveDays(); };
    m_widget.N4->OnClick = [this] { m_widget.N4->SetChecked(!m_widget.N4->Checked()); };
    m_widget.N9->OnClick = [this] { TogglePassThrough(); };
    m_widget.N5->OnClick = [this] { OpenSettings(); };
    m_widget.N8->OnClick = [this] { Close(); };
    OfferPassThrough();
}

void TFormWeather::ToggleFiveDays()
{
    bool show = !m_widget.N3->Checked();
    m_widget.N3->SetChecked(show);
    SetPanelVisible(show);
}

void TFormWeather::TogglePassThrough()
{
    SetPassThrough(!m_widget.N9->Checked());
}

void TFormWeather::SetPassThrough(bool passThrough)
{
    if (passThrough && !PassThroughOffered())
        return;
    m_widget.N9->SetChecked(passThrough);
    Native().SetMousePassThrough(passThrough);
}

bool TFormWeather::PassThroughOffered() const
{
    return m_trayIcon1 && m_trayIcon1->Docked();
}

// Called whenever the icon is made, docked or undocked.
void TFormWeather::OfferPassThrough()
{
    bool offered = PassThroughOffered();
    if (m_widget.N9->Enabled() != offered && m_trayIcon1)
        std::cerr << "nimbrell: the notification-area icon is " << (offered ? "docked" : "not in a tray")
                  << "; mouse pass-through (鼠标穿透) is " << (offered ? "offered" : "not offered") << "\n";
    m_widget.N9->SetEnabled(offered);
    if (!offered && m_widget.N9->Checked())
        SetPassThrough(false);
}

void TFormWeather::ComeBack()
{
    // A scene that could not be read has no menu or panel to restore.
    if (m_widget.Root1) {
        SetPassThrough(false);
        SetPanelVisible(true);
    }
    KeepOnScreen();
    if (!Native().IsVisible())
        Native().Show();
    Native().BringToFront();
}

void TFormWeather::ShowTrayIcon()
{
    // The tray draws the icon at the screen's density.
    auto picture = platform::FindResource(Native().DeviceScale() >= 2 ? "MAINICON2X" : "MAINICON", "png");
    std::span<const std::uint8_t> png;
    if (picture)
        png = { reinterpret_cast<const std::uint8_t*>(picture->data()), picture->size() };
    m_trayIcon1 = platform::Application::Instance().GetBackend().CreateTrayIcon(png, kApplicationTitle, Handle());
    // A forecast that came before the icon: its tip at once.
    if (!m_trayTip.empty())
        m_trayIcon1->SetTip(m_trayTip);
    TvxPopupMenu& menu = *m_widget.PopupMenu1;
    auto refresh = [this, &menu] { m_trayIcon1->SetMenu(menu.Entries(), menu.Handle()); };
    menu.OnChange = refresh;
    refresh();
    OfferPassThrough();
}

void TFormWeather::OnTrayIcon(platform::LPARAM lParam)
{
    if (lParam == platform::TrayIconDockChanged)
        OfferPassThrough();
    if (lParam != platform::WM_RBUTTONUP)
        return;
    Native().BringToFront();
    platform::ScreenPoint at = platform::Application::Instance().GetBackend().CursorPosition();
    m_widget.PopupMenu1->Popup(at.x, at.y);
}

}
