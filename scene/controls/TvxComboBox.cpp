// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxComboBox.h"

#include "platform/Message.h"
#include "scene/controls/TvxContent.h"
#include "scene/core/ISceneHost.h"
#include "scene/render/TvxCanvas.h"

#include <algorithm>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxComboListBox, TvxListBox)
{
}

NIMBRELL_DEFINE_CLASS(TvxComboBox, TvxControl)
{
    c.Integer("ItemIndex", &TvxComboBox::ItemIndex, &TvxComboBox::SetItemIndex).Default(-1);
    c.Float("ItemHeight", &TvxComboBox::ItemHeight, &TvxComboBox::SetItemHeight);
    c.Integer("DropDownCount", &TvxComboBox::DropDownCount, &TvxComboBox::SetDropDownCount).Default(8);
    c.Enum("Placement", &TvxComboBox::Placement, &TvxComboBox::SetPlacement).Default(TvxPlacement::vgPlacementBottom);
    c.Event("OnChange", &TvxComboBox::OnChange);
}

NIMBRELL_DEFINE_CLASS(TvxStringComboBox, TvxComboBox)
{
    c.Object("Items", [](const TvxStringComboBox& b) { return &b.Items(); });
    c.Enum("TextAlign", &TvxStringComboBox::TextAlign, &TvxStringComboBox::SetTextAlign).Default(TvxTextAlign::vgTextAlignCenter);
    c.Text("ItemStyle", &TvxStringComboBox::ItemStyle, &TvxStringComboBox::SetItemStyle).StoredWhen([](const TvxStringComboBox& b) { return b.ItemStyle() != "listboxitemstyle"; });
    c.Enum("AutoTranslate", &TvxStringComboBox::AutoTranslate, &TvxStringComboBox::SetAutoTranslate).Default(true);
}

TvxComboListBox::TvxComboListBox(TvxComponent* owner)
    : TvxListBox(owner)
{
    SetHideSelectionUnfocused(false);
}

void TvxComboListBox::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxListBox::MouseUp(button, shift, x, y);
    if (!m_comboBox)
        return;
    // Any button's release ends the drop-down; only the left one picks.
    bool inside = button == TvxMouseButton::mbLeft && x >= 0 && y >= 0 && x <= Width() && y <= Height();
    TvxListBoxItem* item = inside ? ItemByPoint(x, y) : nullptr;
    TvxComboBox* combo = m_comboBox;
    if (item)
        combo->SetItemIndex(IndexOf(item));
    combo->Popup()->ClosePopup();
}

void TvxComboListBox::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    if (key == platform::VK_RETURN && m_comboBox) {
        TvxComboBox* combo = m_comboBox;
        combo->SetItemIndex(ItemIndex());
        combo->Popup()->ClosePopup();
        key = 0;
        return;
    }
    TvxListBox::KeyDown(key, keyChar, shift);
}

TvxComboBox::TvxComboBox(TvxComponent* owner)
    : TvxControl(owner)
{
    SetWidth(100);
    SetHeight(22);
    SetCanFocused(true);

    m_popup = new TvxPopup(nullptr);
    m_popup->SetPlacementTarget(this);
    m_popup->SetStaysOpen(false);
    m_popup->SetStored(false);
    m_popup->SetLocked(true);
    m_popup->SetDesignHide(true);
    m_popup->SetBounds(0, 0, Width(), 0);
    m_popup->OnBeginClose.Set([this](TvxObject*) { PopupClosing(); });
    m_popup->OnClosePopup.Set([this](TvxObject*) { Repaint(); });
    TvxControl::AddObject(m_popup);

    m_listBox = new TvxComboListBox(nullptr);
    m_listBox->SetStored(false);
    m_listBox->SetAlign(TvxAlign::vaClient);
    m_listBox->SetComboBox(this);
    m_popup->AddObject(m_listBox);
}

int TvxComboBox::ItemIndex() const
{
    return m_listBox ? m_listBox->ItemIndex() : -1;
}

int TvxComboBox::Count() const
{
    return m_listBox ? m_listBox->Count() : 0;
}

float TvxComboBox::ItemHeight() const
{
    return m_listBox ? m_listBox->ItemHeight() : 0;
}

void TvxComboBox::SetItemHeight(float value)
{
    if (m_listBox)
        m_listBox->SetItemHeight(value);
}

void TvxComboBox::SetItemIndex(int value)
{
    if (!m_listBox)
        return;
    m_listBox->SetItemIndex(value);
    // What a close of the drop-down keeps: browsing the list does not come here.
    m_dropIndex = m_listBox->ItemIndex();
    if (!IsLoading())
        OnChange(this);
    UpdateEffects();
    Repaint();
}

void TvxComboBox::Clear()
{
    if (m_listBox)
        m_listBox->Clear();
    m_dropIndex = -1;
    Repaint();
}

void TvxComboBox::AddObject(TvxObject* object)
{
    if (m_listBox && dynamic_cast<TvxListBoxItem*>(object)) {
        m_listBox->AddObject(object);
        return;
    }
    TvxControl::AddObject(object);
}

void TvxComboBox::Realign()
{
    TvxControl::Realign();
    if (m_popup && !m_popup->IsOpen())
        m_popup->SetWidth(Width());
}

void TvxComboBox::DropDown()
{
    if (m_popup->IsOpen()) {
        m_popup->ClosePopup();
        return;
    }
    if (m_popup->Closing())
        return;
    int shown = std::min(m_dropDownCount, Count());
    // An empty list would drop an empty window that only swallows the next click.
    if (shown <= 0)
        return;
    float listItemHeight = m_listBox->ItemHeight();
    float height = listItemHeight > 0 ? listItemHeight * float(shown) + 4 : float(shown) * (Height() - 4);
    m_popup->SetPlacement(m_placement);
    m_popup->SetBounds(0, 0, Width(), height);
    m_dropIndex = ItemIndex();
    m_popup->Popup();
    if (!m_popup->IsOpen())
        return;
    m_listBox->SetFocus();
    if (TvxListBoxItem* selected = m_listBox->Selected())
        m_listBox->ScrollIntoView(selected);
}

void TvxComboBox::PopupClosing()
{
    // Browsing moved the list's selection; only a pick keeps it.
    if (m_listBox && m_listBox->ItemIndex() != m_dropIndex) {
        m_listBox->BeginUpdate();
        m_listBox->SetItemIndex(m_dropIndex);
        m_listBox->EndUpdate();
    }
    Repaint();
}

void TvxComboBox::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxControl::MouseDown(button, shift, x, y);
    if (button == TvxMouseButton::mbLeft)
        DropDown();
}

void TvxComboBox::MouseWheel(TvxShiftState shift, int delta, bool& handled)
{
    TvxControl::MouseWheel(shift, delta, handled);
    if (handled)
        return;
    int index = ItemIndex();
    if (delta < 0 && index < Count() - 1)
        SetItemIndex(index + 1);
    else if (delta > 0 && index > 0)
        SetItemIndex(index - 1);
    handled = true;
}

void TvxComboBox::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    TvxControl::KeyDown(key, keyChar, shift);
    if (Count() == 0)
        return;
    int index = ItemIndex();
    int last = Count() - 1;
    switch (key) {
    case platform::VK_HOME: SetItemIndex(0); break;
    case platform::VK_END: SetItemIndex(last); break;
    case platform::VK_LEFT:
    case platform::VK_UP:
        if (index > 0)
            SetItemIndex(index - 1);
        break;
    case platform::VK_DOWN:
        if (shift & kAltKey)
            DropDown();
        else if (index < last)
            SetItemIndex(index + 1);
        break;
    case platform::VK_RIGHT:
        if (index < last)
            SetItemIndex(index + 1);
        break;
    case 0: {
        if (keyChar < 0x20)
            return;
        int found = m_listBox->FirstStartingWith(keyChar);
        if (found >= 0)
            SetItemIndex(found);
        keyChar = 0;
        return;
    }
    default:
        return;
    }
    key = 0;
}

void TvxComboBox::DialogKey(int& key, TvxShiftState shift)
{
    // The open list takes Escape before the window's own cancel.
    if (key == platform::VK_ESCAPE && m_popup->IsOpen()) {
        m_popup->ClosePopup();
        key = 0;
        return;
    }
    TvxControl::DialogKey(key, shift);
}

void TvxComboBox::ResourceApplied()
{
    TvxControl::ResourceApplied();
    m_content = StylePart<TvxContent>("content");
    if (m_content) {
        m_content->OnPaint.Set([this](TvxObject*, TvxCanvas* canvas, TvxRect area) {
            if (canvas)
                PaintSelected(*canvas, area);
        });
    }
}

void TvxComboBox::ResourceReleasing()
{
    if (m_content)
        m_content->OnPaint.Clear();
    m_content = nullptr;
    TvxControl::ResourceReleasing();
}

void TvxComboBox::PaintSelected(TvxCanvas& canvas, const TvxRect& area)
{
    TvxListBoxItem* item = m_listBox ? m_listBox->Selected() : nullptr;
    if (!item || !m_content || area.Width() <= 0 || area.Height() <= 0)
        return;
    item->ApplyResource();
    // Laid out at the content's size for the paint, then given its row back; the list
    // is not asked to repaint for either.
    ISceneHost* itemScene = item->Scene();
    auto resizeQuietly = [&](float width, float height) {
        bool wasDisabled = itemScene && itemScene->DisableUpdate();
        if (itemScene)
            itemScene->SetDisableUpdate(true);
        item->SetWidth(width);
        item->SetHeight(height);
        if (itemScene)
            itemScene->SetDisableUpdate(wasDisabled);
    };
    float width = item->Width(), height = item->Height();
    resizeQuietly(area.Width(), area.Height());
    {
        // A text longer than the box ends at its edge.
        TvxCanvasStateGuard clip(canvas);
        canvas.IntersectClipRect(area);
        item->PaintTo(&canvas, area, m_content);
    }
    resizeQuietly(width, height);
}

void TvxComboBox::BeforeDestruction()
{
    // An open (or fading) popup lives in its own window's scene, not among the children.
    if (m_popup && m_popup->Parent() != this) {
        m_popup->OnClosePopup.Clear();
        m_popup->OnBeginClose.Clear();
        m_popup->Free();
    }
    m_popup = nullptr;
    m_listBox = nullptr;
    m_content = nullptr;
    TvxControl::BeforeDestruction();
}

TvxStringComboBox::TvxStringComboBox(TvxComponent* owner)
    : TvxComboBox(owner)
{
    SetResource("comboboxstyle");
    m_items.OnChanged = [this] { RebuildList(); };
}

void TvxStringComboBox::SetItemHeight(float value)
{
    if (m_itemHeight == value)
        return;
    m_itemHeight = value;
    RebuildList();
}

void TvxStringComboBox::SetTextAlign(TvxTextAlign value)
{
    if (m_textAlign == value)
        return;
    m_textAlign = value;
    RebuildList();
}

void TvxStringComboBox::SetItemStyle(std::string_view value)
{
    m_itemStyle = std::string(value);
}

void TvxStringComboBox::RebuildList()
{
    TvxComboListBox* list = ListBox();
    if (!list)
        return;
    list->BeginUpdate();
    int index = list->ItemIndex();
    list->SetItemIndex(-1);
    list->Clear();
    for (const std::string& text : m_items.Lines()) {
        auto* item = new TvxListBoxItem(nullptr);
        item->SetAutoTranslate(m_autoTranslate);
        item->SetHeight(m_itemHeight);
        item->SetStored(false);
        item->SetLocked(true);
        list->AddObject(item);
        item->SetResource(m_itemStyle);
        item->SetText(text);
        item->SetTextAlign(m_textAlign);
    }
    // While loading, an index read before the items waits for them.
    if (!IsLoading() || list->Count() > 0)
        index = std::min(index, list->Count() - 1);
    list->SetItemIndex(index);
    list->EndUpdate();
    Repaint();
}

}
