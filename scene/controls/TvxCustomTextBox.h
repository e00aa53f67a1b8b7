// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Single-line text editing in a styled control: the style's 'content' part is
// where the text, the selection and the caret are painted; 'foreground' and
// 'selection' brushes give their colours. OnChange fires from Change, which
// runs on Enter and when the focus leaves, and only after an edit made since
// the focus last entered.

#include "scene/controls/TextEditModel.h"
#include "scene/controls/TvxControl.h"
#include "scene/core/TvxComponent.h"
#include "scene/render/CanvasEnums.h"
#include "scene/render/TvxBrush.h"
#include "scene/render/TvxFont.h"

#include <string>
#include <string_view>

namespace nimbrell {

class TvxCanvas;
class TvxContent;
class TvxPopupMenu;

class TvxCustomTextBox : public TvxControl {
    NIMBRELL_CLASS(TvxCustomTextBox)
public:
    explicit TvxCustomTextBox(TvxComponent* owner);
    ~TvxCustomTextBox() override;

    // UTF-8.
    std::string Text() const;
    virtual void SetText(std::string_view value);
    bool ReadOnly() const { return m_model.ReadOnly(); }
    void SetReadOnly(bool value) { m_model.SetReadOnly(value); }
    bool Password() const { return m_model.Password(); }
    void SetPassword(bool value);
    TvxTextAlign TextAlign() const { return m_textAlign; }
    void SetTextAlign(TvxTextAlign value);
    int MaxLength() const { return static_cast<int>(m_model.MaxLength()); }
    void SetMaxLength(int value) { m_model.SetMaxLength(value > 0 ? static_cast<std::size_t>(value) : 0); }
    std::string FilterChar() const;
    void SetFilterChar(std::string_view value);
    bool ShowCaret() const { return m_showCaret; }
    void SetShowCaret(bool value);
    TvxFont& Font() { return m_font; }
    TvxBrush& FontFill() { return m_fontFill; }
    TvxBrush& SelectionFill() { return m_selectionFill; }

    // In UTF-16 code units.
    int SelStart() const { return static_cast<int>(m_model.SelStart()); }
    void SetSelStart(int value);
    int SelLength() const { return static_cast<int>(m_model.SelLength()); }
    void SetSelLength(int value);
    std::string SelText() const;
    int CaretPosition() const { return static_cast<int>(m_model.CaretPosition()); }
    void SetCaretPosition(int value);
    int FirstVisibleChar() const { return static_cast<int>(m_model.FirstVisibleChar()); }
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // Fires OnChange when an edit is pending (see above).
    virtual void Change();
    bool NeedChange() const { return m_needChange; }

    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;
    // A focused box offers Escape to OnKeyDown before the window's own cancel
    // (a handler that takes it sets the key to 0).
    void DialogKey(int& key, TvxShiftState shift) override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void DoEnterFocus() override;
    void DoKillFocus() override;
    // Without a popup menu of its own, the box offers its editing menu.
    void ContextMenu(TvxPoint screenPoint) override;
    TvxVariant GetData() const override { return Text(); }
    void SetData(const TvxVariant& value) override;

    TvxNotifyEvent OnChange;
    // After every change of the text (not while loading).
    TvxNotifyEvent OnChangeTracking;
    // After typing, deleting or pasting.
    TvxNotifyEvent OnTyping;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    // A key the box did not take; the spin box steps with Up and Down.
    virtual bool SpecialKey(int) { return false; }
    TextEditModel& Model() { return m_model; }
    void SetNeedChange(bool value) { m_needChange = value; }
    void Repaint();

private:
    void PaintContent(TvxCanvas& canvas, const TvxRect& area);
    // What is drawn: the text, or a dot for each character of a password.
    std::u16string Shown() const;
    float Width(TvxCanvas& canvas, std::size_t from, std::size_t to) const;
    std::size_t CharacterAt(float x);
    void TextChanged();
    // Cut, Copy, Paste, Delete and Select All, enabled for the box's state now.
    TvxPopupMenu& EditMenu();

    TextEditModel m_model;
    ComponentPtr<TvxPopupMenu> m_editMenu;
    TvxFont m_font;
    TvxBrush m_fontFill { TvxBrushStyle::vgBrushSolid, 0xFF000000 };
    TvxBrush m_selectionFill { TvxBrushStyle::vgBrushSolid, 0x802A8ADF };
    TvxTextAlign m_textAlign { TvxTextAlign::vgTextAlignNear };
    TvxContent* m_content { nullptr };
    // Where the shown text begins, left of the content area, at the last paint.
    float m_textLeft { 0 };
    bool m_showCaret { true };
    bool m_needChange { false };
    bool m_mouseSelecting { false };
    bool m_focusByMouse { false };
};

class TvxTextBox : public TvxCustomTextBox {
    NIMBRELL_CLASS(TvxTextBox)
public:
    explicit TvxTextBox(TvxComponent* owner);
};

}
