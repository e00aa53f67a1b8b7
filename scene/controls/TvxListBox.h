#pragma once

// A list of items in rows with one selected item (ItemIndex), shown by
// highlight rectangles cloned from the style's 'selection' part and scrolled
// into view; OnChange reports every move of the selection.

#include "scene/controls/TvxScrollBox.h"
#include "scene/controls/TvxTextControl.h"

#include <vector>

namespace nimbrell {

class TvxListBox;

class TvxListBoxItem : public TvxTextControl {
    NIMBRELL_CLASS(TvxListBoxItem)
public:
    explicit TvxListBoxItem(TvxComponent* owner);

    bool IsSelected() const { return m_isSelected; }
    void SetIsSelected(bool value);
    // The list box whose content holds the item, or none.
    TvxListBox* ListBox() const;

protected:
    void ResourceApplied() override;

private:
    bool m_isSelected { false };
};

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
    virtual void Clear();
    // Scrolls so that the item lies fully inside the viewport.
    void ScrollIntoView(TvxListBoxItem* item);
    bool HideSelectionUnfocused() const { return m_hideSelectionUnfocused; }
    void SetHideSelectionUnfocused(bool value);
    bool MultiSelect() const { return m_multiSelect; }
    float ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(float value);

    void EndUpdate() override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;
    void DoEnterFocus() override;
    void DoKillFocus() override;

    // Sender: the newly selected item, or none.
    TvxNotifyEvent OnChange;

    // The highlight rectangles shown now (for tests and painting checks).
    std::vector<TvxVisualObject*> ShownHighlights() const;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    TvxRect ContentExtent() override;
    void ContentAdded(TvxObject* object) override;
    void ContentRemoving(TvxObject* object) override;
    void Scrolled() override { UpdateSelection(); }

private:
    void UpdateSelection();
    void SelectAt(float x, float y);

    std::vector<TvxListBoxItem*> m_items;
    std::vector<TvxVisualObject*> m_highlights;
    TvxVisualObject* m_selectionTemplate { nullptr };
    int m_itemIndex { -1 };
    float m_itemHeight { 0 };
    bool m_hideSelectionUnfocused { true };
    bool m_multiSelect { false };
    bool m_mouseSelecting { false };
};

}
