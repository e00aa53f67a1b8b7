// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A popup menu that visual objects name through their PopupMenu property: its
// items are its children, in order. The platform shows it; a chosen item runs
// its OnClick from the message queue.

#include "platform/Menu.h"
#include "platform/MessageQueue.h"
#include "scene/core/TvxObject.h"
#include "scene/core/TvxObjectReference.h"

#include <functional>
#include <string>
#include <vector>

namespace nimbrell {

class TvxMenuItem : public TvxObject {
    NIMBRELL_CLASS(TvxMenuItem)
public:
    explicit TvxMenuItem(TvxComponent* owner);

    // "-" makes the item a separator.
    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string_view value);
    bool Checked() const { return m_checked; }
    void SetChecked(bool value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    bool IsSeparator() const { return m_caption == "-"; }

    std::function<void()> OnClick;

private:
    void Changed();

    std::string m_caption;
    bool m_checked { false };
    bool m_enabled { true };
    bool m_visible { true };
};

class TvxPopupMenu : public TvxObject, private platform::MessageTarget {
    NIMBRELL_CLASS(TvxPopupMenu)
public:
    explicit TvxPopupMenu(TvxComponent* owner);
    ~TvxPopupMenu() override;

    std::vector<TvxMenuItem*> Items() const;
    // The menu as the platform shows it, one entry per item.
    std::vector<platform::MenuEntry> Entries() const;
    platform::HWND Handle() const { return m_handle; }

    // Shows the menu at the screen point; the object it was opened for is
    // remembered until the next popup.
    void Popup(int x, int y, TvxObject* popupComponent = nullptr);
    TvxObject* PopupComponent() const { return m_popupComponent.Get(); }

    // Runs the click of the item at index when it is visible and enabled.
    void Choose(int index);

    // Told after any item changed (a caption, a check mark, ...), once a menu
    // still open on the screen shows the change.
    std::function<void()> OnChange;
    void ItemChanged();

    bool AcceptsStreamChild(const TvxComponent& child) const override;

private:
    void WindowProc(platform::Message& message) override;

    platform::HWND m_handle { 0 };
    TvxObjectReference m_popupComponent;
    bool m_poppedUp { false };
};

}
