// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxListBox.h"

#include "platform/Message.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxScrollBar.h"
#include "base/Utf.h"
#include "scene/render/TvxBrushObject.h"
#include "scene/render/TvxCanvas.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace nimbrell {

namespace {

char32_t lowerCase(char32_t c)
{
    return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
}

// Texts compared code point by code point without regard to case.
int compareWithoutCase(const std::string& a, const std::string& b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t x = lowerCase(NextCodePoint(a, i));
        char32_t y = lowerCase(NextCodePoint(b, j));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

}

NIMBRELL_DEFINE_CLASS(TvxListBoxItem, TvxTextControl)
{
    c.Enum("IsSelected", &TvxListBoxItem::IsSelected, &TvxListBoxItem::SetIsSelected).Default(false);
    c.Enum("IsChecked", &TvxListBoxItem::IsChecked, &TvxListBoxItem::SetIsChecked).Default(false);
}

NIMBRELL_DEFINE_CLASS(TvxListBox, TvxScrollBox)
{
    c.Integer("ItemIndex", &TvxListBox::ItemIndex, &TvxListBox::SetItemIndex).Default(-1);
    c.Enum("HideSelectionUnfocused", &TvxListBox::HideSelectionUnfocused, &TvxListBox::SetHideSelectionUnfocused).Default(true);
    c.Float("ItemHeight", &TvxListBox::ItemHeight, &TvxListBox::SetItemHeight);
    c.Float("ItemWidth", &TvxListBox::ItemWidth, &TvxListBox::SetItemWidth);
    c.Integer("Columns", &TvxListBox::Columns, &TvxListBox::SetColumns).Default(1);
    c.Enum("ListStyle", &TvxListBox::ListStyle, &TvxListBox::SetListStyle).Default(TvxListStyle::vgListVertical);
    c.Enum("Sorted", &TvxListBox::Sorted, &TvxListBox::SetSorted).Default(false);
    c.Enum("MultiSelect", &TvxListBox::MultiSelect, &TvxListBox::SetMultiSelect).Default(false);
    c.Enum("ShowCheckboxes", &TvxListBox::ShowCheckboxes, &TvxListBox::SetShowCheckboxes).Default(false);
    c.Enum("AlternatingRowBackground", &TvxListBox::AlternatingRowBackground, &TvxListBox::SetAlternatingRowBackground).Default(false);
    c.Enum("AllowDrag", &TvxListBox::AllowDrag, &TvxListBox::SetAllowDrag).Default(false);
    c.Event("OnChange", &TvxListBox::OnChange);
    c.Event("OnChangeCheck", &TvxListBox::OnChangeCheck);
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
    m_check = StylePart<TvxCheckBox>("check");
    // The check box takes its own clicks; the item follows it.
    if (m_check)
        m_check->OnChange.Set([this](TvxObject*) { SetIsChecked(m_check->IsChecked()); });
    UpdateCheckPart();
    StartTriggerAnimation(this, "IsSelected");
}

void TvxListBoxItem::ResourceReleasing()
{
    if (m_check)
        m_check->OnChange.Clear();
    m_check = nullptr;
    TvxTextControl::ResourceReleasing();
}

void TvxListBoxItem::UpdateCheckPart()
{
    if (!m_check)
        return;
    TvxListBox* box = ListBox();
    m_check->SetVisible(box && box->ShowCheckboxes());
    m_check->SetIsChecked(m_isChecked);
}

void TvxListBoxItem::SetIsChecked(bool value)
{
    if (m_isChecked == value)
        return;
    m_isChecked = value;
    UpdateCheckPart();
    if (TvxListBox* box = ListBox())
        box->OnChangeCheck(this);
}

void TvxListBoxItem::SetIsSelected(bool value)
{
    if (m_isSelected == value)
        return;
    m_isSelected = value;
    StartTriggerAnimation(this, "IsSelected");
    TvxListBox* box = ListBox();
    if (!box)
        return;
    if (box->MultiSelect()) {
        box->UpdateSelection();
        return;
    }
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
    if (Viewport()) {
        TvxPoint inViewport = Viewport()->AbsoluteToLocal(LocalToAbsolute({ x, y }));
        if (inViewport.X < 0 || inViewport.Y < 0 || inViewport.X > Viewport()->Width() || inViewport.Y > Viewport()->Height())
            return nullptr;
    }
    return ItemAt(Content()->AbsoluteToLocal(LocalToAbsolute({ x, y })));
}

TvxListBoxItem* TvxListBox::ItemToSelectAt(float x, float y)
{
    if (!Viewport() || m_items.empty())
        return ItemByPoint(x, y);
    // Beyond an edge of the viewport the row just past that edge is taken, so
    // each move of a drag there scrolls the list on by a row.
    bool vertical = m_listStyle == TvxListStyle::vgListVertical;
    TvxPoint inViewport = Viewport()->AbsoluteToLocal(LocalToAbsolute({ x, y }));
    float& along = vertical ? inViewport.Y : inViewport.X;
    float& across = vertical ? inViewport.X : inViewport.Y;
    float length = vertical ? Viewport()->Height() : Viewport()->Width();
    across = std::clamp(across, 0.0f, vertical ? Viewport()->Width() : Viewport()->Height());
    if (along < 0)
        along = -0.5f;
    else if (along > length)
        along = length + 0.5f;
    TvxPoint point = Content()->AbsoluteToLocal(Viewport()->LocalToAbsolute(inViewport));
    if (TvxListBoxItem* item = ItemAt(point))
        return item;
    // Before the first row or after the last one: that row.
    const TvxListBoxItem* first = m_items.front();
    bool before = vertical ? point.Y < first->Position().Y() : point.X < first->Position().X();
    return before ? m_items.front() : m_items.back();
}

TvxListBoxItem* TvxListBox::ItemAt(TvxPoint point) const
{
    auto contains = [&](const TvxListBoxItem* item) {
        float left = item->Position().X(), top = item->Position().Y();
        return point.X >= left && point.X <= left + item->Width() && point.Y >= top && point.Y <= top + item->Height();
    };
    if (m_listStyle == TvxListStyle::vgListHorizontal) {
        auto found = std::find_if(m_items.begin(), m_items.end(), contains);
        return found == m_items.end() ? nullptr : *found;
    }
    // Rows are sorted by their top: a binary search finds the row, then its columns are tried.
    auto found = std::upper_bound(m_items.begin(), m_items.end(), point.Y,
        [](float y, const TvxListBoxItem* item) { return y < item->Position().Y(); });
    while (found != m_items.begin()) {
        TvxListBoxItem* item = *--found;
        if (contains(item))
            return item;
        if (item->Position().Y() + item->Height() < point.Y && item->Position().X() <= point.X)
            break;
    }
    return nullptr;
}

int TvxListBox::FirstStartingWith(char32_t character) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string& text = m_items[static_cast<std::size_t>(i)]->Text();
        std::size_t position = 0;
        if (!text.empty() && lowerCase(NextCodePoint(text, position)) == lowerCase(character))
            return i;
    }
    return -1;
}

void TvxListBox::SetItemHeight(float value)
{
    m_itemHeight = value;
    Realign();
}

void TvxListBox::SetItemWidth(float value)
{
    m_itemWidth = std::max(0.0f, value);
    Realign();
}

void TvxListBox::SetColumns(int value)
{
    m_columns = std::max(1, value);
    Realign();
}

void TvxListBox::SetListStyle(TvxListStyle value)
{
    m_listStyle = value;
    Realign();
}

void TvxListBox::SetSorted(bool value)
{
    m_sorted = value;
    Realign();
}

void TvxListBox::SetShowCheckboxes(bool value)
{
    m_showCheckboxes = value;
    for (TvxListBoxItem* item : m_items)
        item->UpdateCheckPart();
}

void TvxListBox::SetAlternatingRowBackground(bool value)
{
    m_alternatingRowBackground = value;
    if (m_oddRowHost)
        m_oddRowHost->Repaint();
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
    auto follow = [](TvxScrollBar* bar, float offset, float position, float paddingBefore, float paddingAfter, float size, float viewport) {
        if (!bar || !bar->Visible())
            return;
        float start = -offset + position - paddingBefore;
        float end = start + paddingBefore + paddingAfter + size;
        if (end > viewport)
            bar->SetValue(bar->Value() + end - viewport);
        else if (start < 0)
            bar->SetValue(bar->Value() + start);
    };
    const auto& pad = item->Padding();
    follow(VScrollBar(), ScrollOffset().Y, item->Position().Y(), pad.Top(), pad.Bottom(), item->Height(), Viewport()->Height());
    follow(HScrollBar(), ScrollOffset().X, item->Position().X(), pad.Left(), pad.Right(), item->Width(), Viewport()->Width());
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
    // Compared by address: an item being destroyed is no longer of its class. From
    // the end, as Clear frees them.
    auto last = std::find_if(m_items.rbegin(), m_items.rend(), [object](const TvxListBoxItem* item) { return static_cast<const TvxObject*>(item) == object; });
    if (last == m_items.rend())
        return;
    auto found = std::next(last).base();
    int index = static_cast<int>(found - m_items.begin());
    if (*found == m_dragItem)
        m_dragItem = nullptr;
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

void TvxListBox::SortItems()
{
    TvxListBoxItem* selected = m_multiSelect ? nullptr : Selected();
    std::stable_sort(m_items.begin(), m_items.end(), [this](TvxListBoxItem* a, TvxListBoxItem* b) {
        int result = 0;
        if (OnCompare)
            OnCompare(this, a, b, result);
        else
            result = compareWithoutCase(a->Text(), b->Text());
        return result < 0;
    });
    if (selected)
        m_itemIndex = IndexOf(selected);
}

TvxRect TvxListBox::ContentExtent()
{
    if (m_sorted)
        SortItems();
    // One realign of the content for all the rows, not one a row.
    Content()->BeginUpdate();
    TvxRect extent = LayoutLines(Viewport()->Width(), Viewport()->Height());
    Content()->EndUpdate();
    return extent;
}

// Lines of Columns items: rows top to bottom, or, in the horizontal style, columns
// left to right. Across its line each item gets an equal cell; along the list the
// line is as long as its longest item.
TvxRect TvxListBox::LayoutLines(float viewportWidth, float viewportHeight)
{
    bool horizontal = m_listStyle == TvxListStyle::vgListHorizontal;
    if (!horizontal && m_itemWidth > 0)
        m_columns = std::max(1, static_cast<int>(std::trunc(viewportWidth / m_itemWidth)));
    std::size_t perLine = static_cast<std::size_t>(m_columns);
    float fixedAlong = horizontal ? m_itemWidth : m_itemHeight;
    float fixedAcross = horizontal ? m_itemHeight : m_itemWidth;
    float cell = fixedAcross > 0 ? fixedAcross : (horizontal ? viewportHeight : viewportWidth) / float(perLine);
    auto alongWithPadding = [&](const TvxListBoxItem* item) {
        const auto& pad = item->Padding();
        if (horizontal)
            return (fixedAlong > 0 ? fixedAlong : item->Width()) + pad.Left() + pad.Right();
        return (fixedAlong > 0 ? fixedAlong : item->Height()) + pad.Top() + pad.Bottom();
    };
    m_lines.clear();
    float position = 0;
    for (std::size_t first = 0; first < m_items.size(); first += perLine) {
        std::size_t end = std::min(m_items.size(), first + perLine);
        float lineSize = 0;
        for (std::size_t i = first; i < end; ++i)
            lineSize = std::max(lineSize, alongWithPadding(m_items[i]));
        for (std::size_t i = first; i < end; ++i) {
            TvxListBoxItem* item = m_items[i];
            const auto& pad = item->Padding();
            float across = cell * float(i - first);
            if (horizontal)
                item->SetBounds(position + pad.Left(), across + pad.Top(), lineSize - pad.Left() - pad.Right(), cell - pad.Top() - pad.Bottom());
            else
                item->SetBounds(across + pad.Left(), position + pad.Top(), cell - pad.Left() - pad.Right(), lineSize - pad.Top() - pad.Bottom());
        }
        m_lines.push_back({ first, position, lineSize });
        position += lineSize;
    }
    if (horizontal)
        return { 0, 0, m_items.empty() ? viewportWidth : position, viewportHeight };
    float right = m_itemWidth > 0 ? m_itemWidth * float(perLine) : viewportWidth;
    return { 0, 0, right, m_items.empty() ? viewportHeight : position };
}

void TvxListBox::ResourceApplied()
{
    m_selectionTemplate = nullptr;
    TvxScrollBox::ResourceApplied();
    m_selectionTemplate = StylePart<TvxVisualObject>("selection");
    if (m_selectionTemplate)
        m_selectionTemplate->SetVisible(false);
    if (auto* oddFill = StylePart<TvxObject>("AlternatingRowBackground")) {
        if (auto* brush = dynamic_cast<TvxBrushObject*>(oddFill))
            m_oddFill.Assign(brush->Brush());
        if (TvxVisualObject* visual = oddFill->Visual())
            visual->SetVisible(false);
    }
    m_oddRowHost = Viewport();
    if (m_oddRowHost) {
        m_oddRowHost->OnBeforePaint.Set([this](TvxObject*, TvxCanvas* canvas, TvxRect) {
            if (canvas)
                PaintOddRows(*canvas);
        });
    }
    UpdateSelection();
}

void TvxListBox::PaintOddRows(TvxCanvas& canvas)
{
    if (!m_alternatingRowBackground || !m_oddRowHost || m_lines.empty())
        return;
    bool horizontal = m_listStyle == TvxListStyle::vgListHorizontal;
    float offset = horizontal ? -ScrollOffset().X : -ScrollOffset().Y;
    float extent = horizontal ? m_oddRowHost->Width() : m_oddRowHost->Height();
    canvas.Fill().Assign(m_oddFill);
    // Only the lines that show: the first one reaching into the viewport, found by its start.
    auto line = std::upper_bound(m_lines.begin(), m_lines.end(), -offset, [](float at, const Line& l) { return at < l.start + l.size; });
    for (; line != m_lines.end() && line->start + offset < extent; ++line) {
        if ((line - m_lines.begin()) % 2 == 0)
            continue;
        float start = line->start + offset;
        TvxRect band = horizontal ? TvxRect { start, 0, start + line->size, m_oddRowHost->Height() }
                                  : TvxRect { 0, start, m_oddRowHost->Width(), start + line->size };
        canvas.FillRect(band, 0, 0, TvxCorners {}, m_oddRowHost->AbsoluteOpacity());
    }
}

void TvxListBox::ResourceReleasing()
{
    // The highlights belong to the style and go with it.
    m_highlights.clear();
    m_selectionTemplate = nullptr;
    if (m_oddRowHost)
        m_oddRowHost->OnBeforePaint.Clear();
    m_oddRowHost = nullptr;
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
    // One rectangle for each run of consecutive selected items that shows.
    std::vector<TvxRect> runs;
    if (!(m_hideSelectionUnfocused && !IsFocused())) {
        TvxVisualObject* space = m_selectionTemplate->VisualParent();
        TvxRect visible = { 0, 0, Viewport()->Width(), Viewport()->Height() };
        auto areaOf = [&](TvxListBoxItem* item) {
            TvxPoint topLeft = space->AbsoluteToLocal(item->LocalToAbsolute({ 0, 0 }));
            return TvxRect { topLeft.X, topLeft.Y, topLeft.X + item->Width(), topLeft.Y + item->Height() };
        };
        auto shows = [&](const TvxRect& r) { return r.Bottom > visible.Top && r.Top < visible.Bottom && r.Right > visible.Left && r.Left < visible.Right; };
        if (!m_multiSelect) {
            if (TvxListBoxItem* item = Selected(); item && shows(areaOf(item)))
                runs.push_back(areaOf(item));
        } else {
            bool open = false;
            for (TvxListBoxItem* item : m_items) {
                if (!item->IsSelected()) {
                    open = false;
                    continue;
                }
                TvxRect area = areaOf(item);
                if (!shows(area)) {
                    open = false;
                    continue;
                }
                if (open) {
                    TvxRect& run = runs.back();
                    run = { std::min(run.Left, area.Left), std::min(run.Top, area.Top), std::max(run.Right, area.Right), std::max(run.Bottom, area.Bottom) };
                } else {
                    runs.push_back(area);
                    open = true;
                }
            }
        }
    }
    while (m_highlights.size() < runs.size()) {
        auto* clone = dynamic_cast<TvxVisualObject*>(m_selectionTemplate->Clone(nullptr));
        if (!clone)
            break;
        m_selectionTemplate->Parent()->AddObject(clone);
        // Under the items, just above the template.
        clone->SetIndex(m_selectionTemplate->Index() + 1);
        clone->SetStored(false);
        m_highlights.push_back(clone);
    }
    for (std::size_t i = 0; i < m_highlights.size(); ++i) {
        bool show = i < runs.size();
        m_highlights[i]->SetVisible(show);
        if (show)
            m_highlights[i]->SetBounds(runs[i].Left, runs[i].Top, runs[i].Width(), runs[i].Height());
    }
}

void TvxListBox::SelectItem(TvxListBoxItem* item)
{
    if (item && !item->IsSelected())
        SetItemIndex(IndexOf(item));
}

void TvxListBox::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxScrollBox::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft)
        return;
    TvxListBoxItem* item = ItemByPoint(x, y);
    m_dragItem = nullptr;
    if (m_multiSelect) {
        MultiSelectPress(item, shift);
    } else if (item && item->IsSelected()) {
        if (m_allowDrag)
            m_dragItem = item;
    } else {
        SelectItem(item);
    }
    if (item)
        item->OnClick(item);
    m_mouseSelecting = !m_dragItem;
}

void TvxListBox::MultiSelectPress(TvxListBoxItem* item, TvxShiftState shift)
{
    if (!item)
        return;
    int to = IndexOf(item);
    if (shift & kCtrlKey) {
        item->SetIsSelected(!item->IsSelected());
        if (item->IsSelected())
            SetItemIndex(to);
        return;
    }
    // Shift: from the selected item (the last one pressed) to this one.
    int from = (shift & kShiftKey) && Selected() ? m_itemIndex : to;
    if (from > to)
        std::swap(from, to);
    for (int i = 0; i < Count(); ++i)
        m_items[static_cast<std::size_t>(i)]->SetIsSelected(i >= from && i <= to);
    SetItemIndex(IndexOf(item));
}

void TvxListBox::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxScrollBox::MouseMove(shift, x, y);
    // With MouseTracking a drag scrolls instead.
    if (m_mouseSelecting && !m_multiSelect && !MouseTracking() && (shift & kLeftButton))
        SelectItem(ItemToSelectAt(x, y));
}

void TvxListBox::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    m_mouseSelecting = false;
    if (TvxListBoxItem* dragged = std::exchange(m_dragItem, nullptr)) {
        TvxListBoxItem* target = ItemByPoint(x, y);
        if (target && target != dragged) {
            m_dragItem = dragged;
            DropDraggedOn(target);
            m_dragItem = nullptr;
        }
    }
    TvxScrollBox::MouseUp(button, shift, x, y);
}

void TvxListBox::DropDraggedOn(TvxListBoxItem* target)
{
    bool allow = true;
    OnDragChange(this, m_dragItem, target, allow);
    if (!allow || !m_dragItem)
        return;
    // The dragged item takes the target's place; the selection stays on it.
    int from = IndexOf(m_dragItem), to = IndexOf(target);
    if (from < 0 || to < 0)
        return;
    auto begin = m_items.begin();
    if (from < to)
        std::rotate(begin + from, begin + from + 1, begin + to + 1);
    else
        std::rotate(begin + to, begin + from, begin + from + 1);
    if (!m_multiSelect && m_itemIndex == from)
        m_itemIndex = to;
    Realign();
    UpdateSelection();
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
    case platform::VK_END: index = std::max(0, Count() - m_columns); break;
    case platform::VK_UP:
        if (index > 0)
            index = std::max(0, index - m_columns);
        break;
    case platform::VK_DOWN:
        if (index < last)
            index = std::min(last, index + m_columns);
        break;
    case platform::VK_LEFT:
        if (index > 0)
            --index;
        break;
    case platform::VK_RIGHT:
        if (index < last)
            ++index;
        break;
    case 0: {
        if (keyChar < 0x20)
            return;
        if (int found = FirstStartingWith(keyChar); found >= 0)
            SetItemIndex(found);
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
