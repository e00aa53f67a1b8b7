// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A list of items in rows with one selected item (ItemIndex), shown by
// highlight rectangles cloned from the style's 'selection' part and scrolled
// into view; OnChange reports every move of the selection. Columns, a fixed
// item size, sorting, check boxes, odd-row fill, multiple selection, dragging
// an item to another place and the horizontal style are there too, plainly.

#include "scene/controls/TvxScrollBox.h"
#include "scene/controls/TvxTextControl.h"
#include "scene/render/TvxBrush.h"

#include <vector>

namespace nimbrell {

class TvxCheckBox;
class TvxListBox;

enum class TvxListStyle {
    vgListVertical,
    vgListHorizontal
};

class TvxListBoxItem : public TvxTextControl {
    NIMBRELL_CLASS(TvxListBoxItem)
public:
    explicit TvxListBoxItem(TvxComponent* owner);

    bool IsSelected() const { return m_isSelected; }
    void SetIsSelected(bool value);
    // The style's 'check' box, shown while the list shows check boxes.
    bool IsChecked() const { return m_isChecked; }
    void SetIsChecked(bool value);
    TvxCheckBox* CheckPart() const { return m_check; }
    void UpdateCheckPart();
    // The list box whose content holds the item, or none.
    TvxListBox* ListBox() const;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;

private:
    TvxCheckBox* m_check { nullptr };
    bool m_isChecked { false };
    bool m_isSelected { false };
};

// Sender: the list; result below 0, 0 or above 0 as the first item sorts before,
// with or after the second.
using TvxListCompareEvent = TvxEvent<TvxObject*, TvxListBoxItem*, TvxListBoxItem*, int&>;
// Sender: the list; the dragged item, the item it was dropped on, and whether the
// move may happen (true when called).
using TvxListDragEvent = TvxEvent<TvxObject*, TvxListBoxItem*, TvxListBoxItem*, bool&>;

class TvxListBox : public TvxScrollBox {
    NIMBRELL_CLASS(TvxListBox)
public:
    explicit TvxListBox(TvxComponent* owner);

    int Count() const { return static_cast<int>(m_items.size()); }
    int ItemIndex() const { return m_itemIndex; }
    virtual void SetItemIndex(int value);
    TvxListBoxItem* Selected() const { return ItemByIndex(m_itemIndex); }
    TvxListBoxItem* ItemByIndex(int index) const;
    // Point in the list box's coordinates.
    TvxListBoxItem* ItemByPoint(float x, float y);
    int IndexOf(const TvxListBoxItem* item) const;
    // The first item whose text begins with the character, without regard to case, or -1.
    int FirstStartingWith(char32_t character) const;
    virtual void Clear();
    // Scrolls so that the item lies fully inside the viewport.
    void ScrollIntoView(TvxListBoxItem* item);
    bool HideSelectionUnfocused() const { return m_hideSelectionUnfocused; }
    void SetHideSelectionUnfocused(bool value);
    bool MultiSelect() const { return m_multiSelect; }
    float ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(float value);
    float ItemWidth() const { return m_itemWidth; }
    void SetItemWidth(float value);
    int Columns() const { return m_columns; }
    void SetColumns(int value);
    TvxListStyle ListStyle() const { return m_listStyle; }
    void SetListStyle(TvxListStyle value);
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool value);
    void SetMultiSelect(bool value) { m_multiSelect = value; }
    bool ShowCheckboxes() const { return m_showCheckboxes; }
    void SetShowCheckboxes(bool value);
    bool AlternatingRowBackground() const { return m_alternatingRowBackground; }
    void SetAlternatingRowBackground(bool value);
    bool AllowDrag() const { return m_allowDrag; }
    void SetAllowDrag(bool value) { m_allowDrag = value; }
    TvxBrush& OddFill() { return m_oddFill; }

    void EndUpdate() override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;
    void DoEnterFocus() override;
    void DoKillFocus() override;

    // Sender: the newly selected item, or none.
    TvxNotifyEvent OnChange;
    // Sender: the item whose check box changed.
    TvxNotifyEvent OnChangeCheck;
    TvxListCompareEvent OnCompare;
    TvxListDragEvent OnDragChange;

    // The highlight rectangles shown now (for tests and painting checks).
    std::vector<TvxVisualObject*> ShownHighlights() const;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    TvxRect ContentExtent() override;
    void ContentAdded(TvxObject* object) override;
    void ContentRemoving(TvxObject* object) override;
    void Scrolled() override { UpdateSelection(); }
    // Sorts the items (OnCompare, else their texts without regard to case).
    virtual void SortItems();

private:
    friend class TvxListBoxItem;
    void UpdateSelection();
    void SelectItem(TvxListBoxItem* item);
    // The item under a point of the content, or none.
    TvxListBoxItem* ItemAt(TvxPoint point) const;
    // The item a drag selects at a point of the list box: as ItemByPoint inside
    // the viewport, past its edges the row just beyond them, past the rows the
    // first or the last one.
    TvxListBoxItem* ItemToSelectAt(float x, float y);
    // A press with MultiSelect: Ctrl toggles, Shift selects the range from the
    // selected item, a plain press selects the item alone.
    void MultiSelectPress(TvxListBoxItem* item, TvxShiftState shift);
    void DropDraggedOn(TvxListBoxItem* target);
    void PaintOddRows(TvxCanvas& canvas);
    // The rows (or, in the horizontal style, the columns) of the last layout: the
    // index of each one's first item and its start along the list.
    struct Line {
        std::size_t first;
        float start;
        float size;
    };
    TvxRect LayoutLines(float viewportWidth, float viewportHeight);

    std::vector<TvxListBoxItem*> m_items;
    std::vector<Line> m_lines;
    TvxBrush m_oddFill { TvxBrushStyle::vgBrushSolid, 0x20000000 };
    TvxVisualObject* m_oddRowHost { nullptr };
    TvxListBoxItem* m_dragItem { nullptr };
    std::vector<TvxVisualObject*> m_highlights;
    TvxVisualObject* m_selectionTemplate { nullptr };
    int m_itemIndex { -1 };
    float m_itemHeight { 0 };
    float m_itemWidth { 0 };
    int m_columns { 1 };
    TvxListStyle m_listStyle { TvxListStyle::vgListVertical };
    bool m_hideSelectionUnfocused { true };
    bool m_multiSelect { false };
    bool m_mouseSelecting { false };
    bool m_sorted { false };
    bool m_showCheckboxes { false };
    bool m_alternatingRowBackground { false };
    bool m_allowDrag { false };
};

}

NIMBRELL_ENUM(nimbrell::TvxListStyle, "vgListVertical", "vgListHorizontal")
