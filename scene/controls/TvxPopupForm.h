// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window a popup lives in while it is open: borderless, above every other
// window, placed by the program, layered like every scene window. It asks its
// popup to close when it loses activation (by the rule of OpenPopupWindows) or
// when the window is closed; the popup then releases it.

#include "scene/controls/PopupPlacement.h"
#include "scene/host/TvxScene.h"

#include <functional>

namespace nimbrell {

class TvxPopupForm final : public SceneWindow {
public:
    // ownerForm: the window the popup came from, or none.
    TvxPopupForm(int width, int height, platform::Window* ownerForm);
    ~TvxPopupForm() override;

    platform::Window* OwnerForm() const { return m_ownerForm; }

    // Runs once when the popup should close; without a handler the window
    // closes. The handler may be running inside the window's own close, so it
    // gives the window up through Release, never by freeing it.
    std::function<void()> OnCloseRequest;

    // Hides the window now and frees it once the messages queued before have
    // been handled.
    static void Release(std::unique_ptr<TvxPopupForm> form);

    // Places the window's top left at anchor (screen), kept inside the work
    // area of the monitor that holds the anchor.
    void PlaceAt(platform::ScreenPoint anchor);

    // Shows the window; unless the popup stays open it joins the open popups,
    // whose activation rule closes it.
    void ShowPopup(bool staysOpen);

    // The open popups' windows, process-wide.
    static OpenPopupWindows& OpenPopups();

protected:
    void OnWindowMessage(platform::Message& message) override;
    void OnClose() override;

private:
    void RequestClose();

    platform::Window* m_ownerForm;
    bool m_closeRequested { false };
};

}
