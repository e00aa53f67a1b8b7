#include "scene/controls/TvxListBox.h"

#include "platform/Message.h"
#include "scene/controls/TvxScrollBar.h"
#include "base/Utf.h"

#include <algorithm>
#include <cwctype>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxListBoxItem, TvxTextControl)
{
    c.Enum("IsSelected", &TvxListBoxItem::IsSelected, &TvxListBoxItem::SetIsSelected).Default(false);
}

NIMBRELL_DEFINE_CLASS(TvxListBox, TvxScrollBox)
{
    c.Integer("ItemIndex", &TvxListBox::ItemIndex, &TvxListBox::SetItemIndex).Default(-1);
    c.Enum("HideSelectionUnfocused", &TvxListBox::HideSelectionUnfocused, &TvxListBox::SetHideSelectionUnfocused).Default(true);
    c.Float("ItemHeight", &TvxListBox::ItemHeight, &TvxListBox::SetItemHeight);
    c.Event("OnChange", &TvxListBox::OnChange);
}

TvxListBoxItem::TvxListBoxItem(TvxComponent* owner)
    : TvxTextControl(owner)
{
    SetBounds(5000, 5000, 19, 19);
    SetTextAlign(TvxTextAlign::vgTextAlignNear);
    SetAutoTranslate(true);
    SetHitTest(false);
}

TvxListBox* TvxListBoxItem::ListBox() const
{
    // The content lies in the box's viewport once styled, else in the box.
    if (!dynamic_cast<TvxScrollContent*>(Parent()))
        return nullptr;
    for (TvxObject* up = Parent()->Parent(); up; up = up->Parent()) {
        if (auto* box = dynamic_cast<TvxListBox*>(up))
            return box;
    }
    return nullptr;
}

void TvxListBoxItem::ResourceApplied()
{
    TvxTextControl::ResourceApplied();
    // The lists show no per-item check boxes: the style's 'check' part stays hidden.
    if (auto* check = StylePart<TvxVisualObject>("check"))
        check->SetVisible(false);
    StartTriggerAnimation(this, "IsSelected");
}

void TvxListBoxItem::SetIsSelected(bool value)
{
    if (m_isSelected == value)
        return;
    m_isSelected = value;
    StartTriggerAnimation(this, "IsSelected");
    TvxListBox* box = ListBox();
    if (!box || box->MultiSelect())
        return;
    int index = box->IndexOf(this);
    if (value)
        box->SetItemIndex(index);
    else if (box->ItemIndex() == index)
        box->SetItemIndex(-1);
}

TvxListBox::TvxListBox(TvxComponent* owner)
    : TvxScrollBox(owner)
{
    SetWidth(100);
    SetHeight(100);
    SetCanFocused(true);
}

TvxListBoxItem* TvxListBox::ItemByIndex(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)];
}

int TvxListBox::IndexOf(const TvxListBoxItem* item) const
{
    auto found = std::find(m_items.begin(), m_items.end(), item);
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

TvxListBoxItem* TvxListBox::ItemByPoint(float x, float y)
{
    TvxPoint point = Content()->AbsoluteToLocal(LocalToAbsolute({ x, y }));
    if (Viewport()) {
        TvxPoint inViewport = Viewport()->AbsoluteToLocal(LocalToAbsolute({ x, y }));
        if (inViewport.X < 0 || inViewport.Y < 0 || inViewport.X > Viewport()->Width() || inViewport.Y > Viewport()->Height())
            return nullptr;
    }
    // Rows are sorted by their top: a binary search finds the row.
    auto found = std::upper_bound(m_items.begin(), m_items.end(), point.Y,
        [](float y, const TvxListBoxItem* item) { return y < item->Position().Y(); });
    if (found == m_items.begin())
        return nullptr;
    TvxListBoxItem* item = *(found - 1);
    TvxRect area { item->Position().X(), item->Position().Y(), item->Position().X() + item->Width(), item->Position().Y() + item->Height() };
    if (point.X < area.Left || point.X > area.Right || point.Y > area.Bottom)
        return nullptr;
    return item;
}

void TvxListBox::SetItemHeight(float value)
{
    m_itemHeight = value;
    Realign();
}

void TvxListBox::SetHideSelectionUnfocused(bool value)
{
    m_hideSelectionUnfocused = value;
    UpdateSelection();
}

void TvxListBox::SetItemIndex(int value)
{
    if (value == m_itemIndex)
        return;
    // Deselecting the old item writes -1 first (the item's own rule), so a move
    // reports "no item" before the new one.
    if (!m_multiSelect) {
        if (auto* previous = ItemByIndex(m_itemIndex))
            previous->SetIsSelected(false);
    }
    m_itemIndex = value;
    TvxListBoxItem* item = ItemByIndex(value);
    if (item) {
        ScrollIntoView(item);
        item->SetIsSelected(true);
    }
    if (Updating() == 0)
        OnChange(item);
    UpdateSelection();
}

void TvxListBox::ScrollIntoView(TvxListBoxItem* item)
{
    if (!Viewport() || Updating() > 0)
        return;
    TvxScrollBar* bar = VScrollBar();
    if (!bar || !bar->Visible())
        return;
    float top = -ScrollOffset().Y + item->Position().Y() - item->Padding().Top();
    float bottom = top + item->Padding().Top() + item->Padding().Bottom() + item->Height();
    float viewport = Viewport()->Height();
    if (bottom > viewport)
        bar->SetValue(bar->Value() + bottom - viewport);
    else if (top < 0)
        bar->SetValue(bar->Value() + top);
}

void TvxListBox::Clear()
{
    BeginUpdate();
    while (!m_items.empty())
        m_items.back()->Free();
    ResetScrollOffset();
    EndUpdate();
}

void TvxListBox::EndUpdate()
{
    TvxScrollBox::EndUpdate();
    if (Updating() == 0) {
        Realign();
        UpdateSelection();
    }
}

void TvxListBox::ContentAdded(TvxObject* object)
{
    auto* item = dynamic_cast<TvxListBoxItem*>(object);
    if (!item)
        return;
    m_items.push_back(item);
    if (Updating() == 0)
        Realign();
}

void TvxListBox::ContentRemoving(TvxObject* object)
{
    // Compared by address: an item being destroyed is no longer of its class.
    auto found = std::find_if(m_items.begin(), m_items.end(), [object](const TvxListBoxItem* item) { return static_cast<const TvxObject*>(item) == object; });
    if (found == m_items.end())
        return;
    int index = static_cast<int>(found - m_items.begin());
    m_items.erase(found);
    if (index < m_itemIndex) {
        --m_itemIndex;
    } else if (index == m_itemIndex) {
        m_itemIndex = -1;
        if (Updating() == 0)
            OnChange(nullptr);
    }
    if (Updating() == 0) {
        Realign();
        UpdateSelection();
    }
}

TvxRect TvxListBox::ContentExtent()
{
    float width = Viewport()->Width();
    float y = 0;
    // One realign of the content for all the rows, not one a row.
    Content()->BeginUpdate();
    for (TvxListBoxItem* item : m_items) {
        const auto& pad = item->Padding();
        float height = m_itemHeight > 0 ? m_itemHeight : item->Height();
        item->SetBounds(pad.Left(), y + pad.Top(), width - pad.Left() - pad.Right(), height);
        y += height + pad.Top() + pad.Bottom();
    }
    Content()->EndUpdate();
    return { 0, 0, width, m_items.empty() ? Viewport()->Height() : y };
}

void TvxListBox::ResourceApplied()
{
    m_selectionTemplate = nullptr;
    TvxScrollBox::ResourceApplied();
    m_selectionTemplate = StylePart<TvxVisualObject>("selection");
    if (m_selectionTemplate)
        m_selectionTemplate->SetVisible(false);
    UpdateSelection();
}

void TvxListBox::ResourceReleasing()
{
    // The highlights belong to the style and go with it.
    m_highlights.clear();
    m_selectionTemplate = nullptr;
    TvxScrollBox::ResourceReleasing();
}

std::vector<TvxVisualObject*> TvxListBox::ShownHighlights() const
{
    std::vector<TvxVisualObject*> shown;
    for (auto* highlight : m_highlights) {
        if (highlight->Visible())
            shown.push_back(highlight);
    }
    return shown;
}

void TvxListBox::UpdateSelection()
{
    if (!m_selectionTemplate || !Viewport())
        return;
    TvxRect run {};
    bool have = false;
    if (!(m_hideSelectionUnfocused && !IsFocused())) {
        if (TvxListBoxItem* item = Selected()) {
            TvxPoint topLeft = m_selectionTemplate->VisualParent()->AbsoluteToLocal(item->LocalToAbsolute({ 0, 0 }));
            run = { topLeft.X, topLeft.Y, topLeft.X + item->Width(), topLeft.Y + item->Height() };
            have = run.Bottom > 0 && run.Top < Viewport()->Height();
        }
    }
    if (have && m_highlights.empty()) {
        auto* clone = dynamic_cast<TvxVisualObject*>(m_selectionTemplate->Clone(nullptr));
        if (clone) {
            m_selectionTemplate->Parent()->AddObject(clone);
            // Under the items, just above the template.
            clone->SetIndex(m_selectionTemplate->Index() + 1);
            clone->SetStored(false);
            m_highlights.push_back(clone);
        }
    }
    for (std::size_t i = 0; i < m_highlights.size(); ++i) {
        bool show = have && i == 0;
        m_highlights[i]->SetVisible(show);
        if (show)
            m_highlights[i]->SetBounds(run.Left, run.Top, run.Width(), run.Height());
    }
}

void TvxListBox::SelectAt(float x, float y)
{
    TvxListBoxItem* item = ItemByPoint(x, y);
    if (item && !item->IsSelected())
        SetItemIndex(IndexOf(item));
}

void TvxListBox::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxScrollBox::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft)
        return;
    TvxListBoxItem* item = ItemByPoint(x, y);
    SelectAt(x, y);
    if (item)
        item->OnClick(item);
    m_mouseSelecting = true;
}

void TvxListBox::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxScrollBox::MouseMove(shift, x, y);
    if (m_mouseSelecting && (shift & kLeftButton))
        SelectAt(x, y);
}

void TvxListBox::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    m_mouseSelecting = false;
    TvxScrollBox::MouseUp(button, shift, x, y);
}

void TvxListBox::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    TvxScrollBox::KeyDown(key, keyChar, shift);
    if (Count() == 0)
        return;
    int last = Count() - 1;
    int index = m_itemIndex;
    switch (key) {
    case platform::VK_HOME: index = 0; break;
    case platform::VK_END: index = last; break;
    case platform::VK_UP:
    case platform::VK_LEFT:
        if (index > 0)
            --index;
        break;
    case platform::VK_DOWN:
    case platform::VK_RIGHT:
        if (index < last)
            ++index;
        break;
    case 0: {
        if (keyChar < 0x20)
            return;
        auto lower = [](char32_t c) { return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c))); };
        for (int i = 0; i < Count(); ++i) {
            const std::string& text = m_items[static_cast<std::size_t>(i)]->Text();
            std::size_t position = 0;
            if (!text.empty() && lower(NextCodePoint(text, position)) == lower(keyChar)) {
                SetItemIndex(i);
                break;
            }
        }
        keyChar = 0;
        return;
    }
    default:
        return;
    }
    SetItemIndex(index);
    key = 0;
}

void TvxListBox::DoEnterFocus()
{
    TvxScrollBox::DoEnterFocus();
    UpdateSelection();
}

void TvxListBox::DoKillFocus()
{
    TvxScrollBox::DoKillFocus();
    UpdateSelection();
}

}
