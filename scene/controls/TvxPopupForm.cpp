// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxPopupForm.h"

#include "platform/Application.h"

#include <algorithm>
#include <vector>

namespace nimbrell {

using namespace platform;

namespace {

// Private: frees a released window.
constexpr std::uint32_t ReleaseMessage = 1148;

// One object, so the released windows go first at exit, while the lists their
// destructors touch still exist.
struct PopupRegistry {
    std::vector<TvxPopupForm*> live;
    OpenPopupWindows open;
    std::vector<std::unique_ptr<TvxPopupForm>> released;

    ~PopupRegistry() { released.clear(); }
};

PopupRegistry& registry()
{
    static PopupRegistry instance;
    return instance;
}

std::vector<TvxPopupForm*>& liveForms() { return registry().live; }
std::vector<std::unique_ptr<TvxPopupForm>>& releasedForms() { return registry().released; }

// Released windows whose handle went before their release message came.
void freeClosedReleased()
{
    std::erase_if(releasedForms(), [](const auto& form) { return form->IsClosed(); });
}

TvxPopupForm* formOf(HWND handle)
{
    for (auto* form : liveForms()) {
        if (form->Handle() == handle)
            return form;
    }
    return nullptr;
}

}

OpenPopupWindows& TvxPopupForm::OpenPopups()
{
    return registry().open;
}

TvxPopupForm::TvxPopupForm(int width, int height, Window* ownerForm)
    : SceneWindow(width, height, WindowKind::Popup)
    , m_ownerForm(ownerForm)
{
    freeClosedReleased();
    liveForms().push_back(this);
}

TvxPopupForm::~TvxPopupForm()
{
    OpenPopups().Closed(Handle());
    std::erase(liveForms(), this);
}

void TvxPopupForm::PlaceAt(ScreenPoint anchor)
{
    ScreenRect area = Application::Instance().GetBackend().WorkAreaAt(anchor);
    ScreenPoint place = PlaceInWorkArea(anchor, Native().Width(), Native().Height(), area);
    Move(place.x, place.y);
}

void TvxPopupForm::ShowPopup(bool staysOpen)
{
    if (!staysOpen)
        OpenPopups().Opened(Handle());
    Show();
}

void TvxPopupForm::Release(std::unique_ptr<TvxPopupForm> form)
{
    if (!form)
        return;
    freeClosedReleased();
    form->m_closeRequested = true;
    OpenPopups().Closed(form->Handle());
    form->Native().Hide();
    PostMessage(form->Handle(), ReleaseMessage, 0, 0);
    releasedForms().push_back(std::move(form));
}

void TvxPopupForm::RequestClose()
{
    if (m_closeRequested)
        return;
    m_closeRequested = true;
    OpenPopups().Closed(Handle());
    if (!OnCloseRequest) {
        Close();
        return;
    }
    auto handler = OnCloseRequest;
    handler();
}

void TvxPopupForm::OnWindowMessage(Message& message)
{
    if (message.message == ReleaseMessage) {
        // Nothing touches this window after the erase frees it.
        std::erase_if(releasedForms(), [this](const auto& form) { return form.get() == this; });
        return;
    }
    if (message.message != WM_ACTIVATE || message.wParam != WA_INACTIVE)
        return;
    // Each close may release windows; look every one up again.
    for (HWND handle : OpenPopups().ToClose(Handle(), static_cast<HWND>(message.lParam))) {
        if (auto* form = formOf(handle))
            form->RequestClose();
    }
}

void TvxPopupForm::OnClose()
{
    RequestClose();
}

}
