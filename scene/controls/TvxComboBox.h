// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A box showing the selected item of a list that drops down below it in a popup
// window. The list (TvxComboListBox) and the popup belong to the combo box for its
// whole life; the popup's window exists only while it is open. Browsing the
// dropped-down list does not change the combo box: a release over an item, or
// Enter, picks it; any other close leaves the selection as it was.

#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxPopup.h"
#include "scene/core/TvxWideStrings.h"

namespace nimbrell {

class TvxComboBox;
class TvxContent;

class TvxComboListBox : public TvxListBox {
    NIMBRELL_CLASS(TvxComboListBox)
public:
    explicit TvxComboListBox(TvxComponent* owner);

    TvxComboBox* ComboBox() const { return m_comboBox; }
    void SetComboBox(TvxComboBox* combo) { m_comboBox = combo; }

    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;

private:
    TvxComboBox* m_comboBox { nullptr };
};

class TvxComboBox : public TvxControl {
    NIMBRELL_CLASS(TvxComboBox)
public:
    explicit TvxComboBox(TvxComponent* owner);

    // The list's ItemIndex. A write fires OnChange every time, also with the
    // value it already has.
    int ItemIndex() const;
    void SetItemIndex(int value);
    int Count() const;
    TvxComboListBox* ListBox() const { return m_listBox; }
    TvxPopup* Popup() const { return m_popup; }
    // The list's item height (0: each item keeps its own).
    virtual float ItemHeight() const;
    virtual void SetItemHeight(float value);
    int DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int value) { m_dropDownCount = value; }
    TvxPlacement Placement() const { return m_placement; }
    void SetPlacement(TvxPlacement value) { m_placement = value; }

    // Opens the list below the box, or closes it when open.
    virtual void DropDown();
    virtual void Clear();

    // List items given to the box go into its list.
    void AddObject(TvxObject* object) override;
    void Realign() override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseWheel(TvxShiftState shift, int delta, bool& handled) override;
    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;
    void DialogKey(int& key, TvxShiftState shift) override;

    // Sender: the combo box.
    TvxNotifyEvent OnChange;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    void BeforeDestruction() override;
    // Paints the selected item into the style's 'content' part.
    virtual void PaintSelected(TvxCanvas& canvas, const TvxRect& area);

private:
    void PopupClosing();

    TvxPopup* m_popup { nullptr };
    TvxComboListBox* m_listBox { nullptr };
    TvxContent* m_content { nullptr };
    TvxPlacement m_placement { TvxPlacement::vgPlacementBottom };
    int m_dropDownCount { 8 };
    // ItemIndex when the list dropped down: what a close without a pick keeps.
    int m_dropIndex { -1 };
};

// A combo box of texts: each string of Items becomes one list item.
class TvxStringComboBox : public TvxComboBox {
    NIMBRELL_CLASS(TvxStringComboBox)
public:
    explicit TvxStringComboBox(TvxComponent* owner);

    TvxWideStrings& Items() { return m_items; }
    const TvxWideStrings& Items() const { return m_items; }
    // Given to each item, not to the list.
    float ItemHeight() const override { return m_itemHeight; }
    void SetItemHeight(float value) override;
    TvxTextAlign TextAlign() const { return m_textAlign; }
    void SetTextAlign(TvxTextAlign value);
    const std::string& ItemStyle() const { return m_itemStyle; }
    void SetItemStyle(std::string_view value);
    bool AutoTranslate() const { return m_autoTranslate; }
    void SetAutoTranslate(bool value) { m_autoTranslate = value; }

private:
    // Makes the list's items from Items again, keeping the selection where it can.
    void RebuildList();

    TvxWideStrings m_items;
    float m_itemHeight { 19 };
    TvxTextAlign m_textAlign { TvxTextAlign::vgTextAlignCenter };
    std::string m_itemStyle { "listboxitemstyle" };
    bool m_autoTranslate { true };
};

}
