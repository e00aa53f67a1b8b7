// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxPopupMenu.h"

#include "platform/Application.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxMenuItem, TvxObject)
{
    c.Text("Caption", &TvxMenuItem::Caption, &TvxMenuItem::SetCaption);
    c.Enum("Checked", &TvxMenuItem::Checked, &TvxMenuItem::SetChecked).Default(false);
    c.Enum("Enabled", &TvxMenuItem::Enabled, &TvxMenuItem::SetEnabled).Default(true);
    c.Enum("Visible", &TvxMenuItem::Visible, &TvxMenuItem::SetVisible).Default(true);
}

TvxMenuItem::TvxMenuItem(TvxComponent* owner)
    : TvxObject(owner)
{
}

namespace {

template<typename T, typename V>
bool assignChanged(T& field, V&& value)
{
    if (field == value)
        return false;
    field = std::forward<V>(value);
    return true;
}

}

void TvxMenuItem::SetCaption(std::string_view value)
{
    if (assignChanged(m_caption, std::string(value)))
        Changed();
}

void TvxMenuItem::SetChecked(bool value)
{
    if (assignChanged(m_checked, value))
        Changed();
}

void TvxMenuItem::SetEnabled(bool value)
{
    if (assignChanged(m_enabled, value))
        Changed();
}

void TvxMenuItem::SetVisible(bool value)
{
    if (assignChanged(m_visible, value))
        Changed();
}

void TvxMenuItem::Changed()
{
    if (auto* menu = dynamic_cast<TvxPopupMenu*>(Parent()))
        menu->ItemChanged();
}

NIMBRELL_DEFINE_CLASS(TvxPopupMenu, TvxObject)
{
}

TvxPopupMenu::TvxPopupMenu(TvxComponent* owner)
    : TvxObject(owner)
    , m_handle(platform::RegisterWindow(*this))
{
}

TvxPopupMenu::~TvxPopupMenu()
{
    platform::UnregisterWindow(m_handle);
}

std::vector<TvxMenuItem*> TvxPopupMenu::Items() const
{
    std::vector<TvxMenuItem*> items;
    for (TvxObject* child : Children()) {
        if (auto* item = dynamic_cast<TvxMenuItem*>(child))
            items.push_back(item);
    }
    return items;
}

std::vector<platform::MenuEntry> TvxPopupMenu::Entries() const
{
    std::vector<platform::MenuEntry> entries;
    for (const TvxMenuItem* item : Items())
        entries.push_back({ item->Caption(), item->IsSeparator(), item->Visible(), item->Enabled(), item->Checked() });
    return entries;
}

void TvxPopupMenu::Popup(int x, int y, TvxObject* popupComponent)
{
    m_popupComponent.Set(popupComponent);
    m_poppedUp = true;
    platform::Application::Instance().GetBackend().PopupMenu(Entries(), { x, y }, m_handle);
}

void TvxPopupMenu::Choose(int index)
{
    auto items = Items();
    if (index < 0 || index >= static_cast<int>(items.size()))
        return;
    TvxMenuItem* item = items[static_cast<std::size_t>(index)];
    if (item->Visible() && item->Enabled() && !item->IsSeparator() && item->OnClick)
        item->OnClick();
}

void TvxPopupMenu::ItemChanged()
{
    // A menu open on the screen shows the change at once.
    if (m_poppedUp && platform::Application::Exists())
        platform::Application::Instance().GetBackend().UpdatePopupMenu(Entries(), m_handle);
    if (OnChange)
        OnChange();
}

bool TvxPopupMenu::AcceptsStreamChild(const TvxComponent& child) const
{
    return dynamic_cast<const TvxMenuItem*>(&child) != nullptr;
}

void TvxPopupMenu::WindowProc(platform::Message& message)
{
    if (message.message == platform::WM_COMMAND)
        Choose(static_cast<int>(message.wParam));
}

}
