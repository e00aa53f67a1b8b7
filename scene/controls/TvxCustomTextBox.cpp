// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxCustomTextBox.h"

#include "platform/Application.h"
#include "platform/Message.h"
#include "scene/controls/ControlGeometry.h"
#include "scene/controls/TvxContent.h"
#include "scene/core/ISceneHost.h"
#include "scene/core/TvxPopupMenu.h"
#include "base/Utf.h"
#include "scene/render/TvxBrushObject.h"
#include "scene/render/TvxCanvas.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

namespace {

constexpr float kCaretWidth = 2;
constexpr char16_t kPasswordDot = u'\u25CF';

// The desktop's clipboard, through the platform layer.
class PlatformClipboard final : public TextClipboard {
public:
    void Put(const std::u16string& text) override
    {
        if (platform::Application::Exists())
            platform::Application::Instance().GetBackend().SetClipboardText(Utf16ToUtf8(text));
    }
    std::optional<std::u16string> Take() override
    {
        if (!platform::Application::Exists())
            return std::nullopt;
        auto text = platform::Application::Instance().GetBackend().ClipboardText();
        if (!text)
            return std::nullopt;
        return Utf8ToUtf16(*text);
    }
};

PlatformClipboard& clipboard()
{
    static PlatformClipboard instance;
    return instance;
}

}

NIMBRELL_DEFINE_CLASS(TvxCustomTextBox, TvxControl)
{
    c.Text("Text", &TvxCustomTextBox::Text, [](TvxCustomTextBox& t, std::string_view value) { t.SetText(value); });
    c.Enum("ReadOnly", &TvxCustomTextBox::ReadOnly, &TvxCustomTextBox::SetReadOnly).Default(false);
    c.Enum("Password", &TvxCustomTextBox::Password, &TvxCustomTextBox::SetPassword).Default(false);
    c.Enum("TextAlign", &TvxCustomTextBox::TextAlign, &TvxCustomTextBox::SetTextAlign).Default(TvxTextAlign::vgTextAlignNear);
    c.Integer("MaxLength", &TvxCustomTextBox::MaxLength, &TvxCustomTextBox::SetMaxLength).Default(0);
    c.Text("FilterChar", &TvxCustomTextBox::FilterChar, [](TvxCustomTextBox& t, std::string_view value) { t.SetFilterChar(value); });
    c.Enum("ShowCaret", &TvxCustomTextBox::ShowCaret, &TvxCustomTextBox::SetShowCaret).Default(true);
    c.Object("Font", [](const TvxCustomTextBox& t) { return &const_cast<TvxCustomTextBox&>(t).Font(); });
    c.Object("FontFill", [](const TvxCustomTextBox& t) { return &const_cast<TvxCustomTextBox&>(t).FontFill(); });
    c.Event("OnChange", &TvxCustomTextBox::OnChange);
    c.Event("OnChangeTracking", &TvxCustomTextBox::OnChangeTracking);
    c.Event("OnTyping", &TvxCustomTextBox::OnTyping);
}

NIMBRELL_DEFINE_CLASS(TvxTextBox, TvxCustomTextBox)
{
}

TvxCustomTextBox::TvxCustomTextBox(TvxComponent* owner)
    : TvxControl(owner)
{
    SetWidth(100);
    SetHeight(22);
    SetCanFocused(true);
    SetAutoCapture(true);
    SetCursor(platform::crIBeam);
    m_model.OnTextChanged = [this] { TextChanged(); };
    m_model.OnTyping = [this] { OnTyping(this); };
    m_font.OnChanged = [this] { Repaint(); };
    m_fontFill.OnChanged = [this] { Repaint(); };
}

TvxCustomTextBox::~TvxCustomTextBox() = default;

TvxTextBox::TvxTextBox(TvxComponent* owner)
    : TvxCustomTextBox(owner)
{
}

std::string TvxCustomTextBox::Text() const
{
    return Utf16ToUtf8(m_model.Text());
}

void TvxCustomTextBox::SetText(std::string_view value)
{
    m_model.SetText(Utf8ToUtf16(value));
}

void TvxCustomTextBox::TextChanged()
{
    if (!HasState(ComponentState::Loading))
        OnChangeTracking(this);
    m_needChange = true;
    Repaint();
}

void TvxCustomTextBox::SetPassword(bool value)
{
    m_model.SetPassword(value);
    Repaint();
}

void TvxCustomTextBox::SetTextAlign(TvxTextAlign value)
{
    if (m_textAlign == value)
        return;
    m_textAlign = value;
    Repaint();
}

std::string TvxCustomTextBox::FilterChar() const
{
    return Utf16ToUtf8(m_model.FilterChar());
}

void TvxCustomTextBox::SetFilterChar(std::string_view value)
{
    m_model.SetFilterChar(Utf8ToUtf16(value));
}

void TvxCustomTextBox::SetShowCaret(bool value)
{
    m_showCaret = value;
    Repaint();
}

void TvxCustomTextBox::SetSelStart(int value)
{
    m_model.SetSelStart(static_cast<std::size_t>(std::max(value, 0)));
    Repaint();
}

void TvxCustomTextBox::SetSelLength(int value)
{
    m_model.SetSelLength(static_cast<std::size_t>(std::max(value, 0)));
    Repaint();
}

std::string TvxCustomTextBox::SelText() const
{
    return Utf16ToUtf8(m_model.SelText());
}

void TvxCustomTextBox::SetCaretPosition(int value)
{
    m_model.SetCaretPosition(static_cast<std::size_t>(std::max(value, 0)));
    Repaint();
}

void TvxCustomTextBox::SelectAll()
{
    m_model.SelectAll();
    Repaint();
}

void TvxCustomTextBox::ClearSelection()
{
    m_model.ClearSelection();
    Repaint();
}

void TvxCustomTextBox::CopyToClipboard()
{
    m_model.Copy(clipboard());
}

void TvxCustomTextBox::CutToClipboard()
{
    m_model.Cut(clipboard());
}

void TvxCustomTextBox::PasteFromClipboard()
{
    m_model.Paste(clipboard());
}

void TvxCustomTextBox::SetData(const TvxVariant& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        SetText(*text);
    else
        SetText({});
}

void TvxCustomTextBox::ContextMenu(TvxPoint screenPoint)
{
    if (PopupMenu() || !platform::Application::Exists()) {
        TvxControl::ContextMenu(screenPoint);
        return;
    }
    EditMenu().Popup(static_cast<int>(std::nearbyint(screenPoint.X)), static_cast<int>(std::nearbyint(screenPoint.Y)), this);
}

TvxPopupMenu& TvxCustomTextBox::EditMenu()
{
    enum {
        CutItem,
        CopyItem,
        PasteItem,
        DeleteItem,
        SelectAllItem
    };
    if (!m_editMenu) {
        m_editMenu.reset(new TvxPopupMenu(nullptr));
        const std::pair<const char*, std::function<void()>> items[] = {
            { "Cut", [this] { CutToClipboard(); } },
            { "Copy", [this] { CopyToClipboard(); } },
            { "Paste", [this] { PasteFromClipboard(); } },
            { "Delete", [this] { m_model.DeleteSelection(); } },
            { "Select All", [this] { SelectAll(); } },
        };
        for (const auto& [caption, action] : items) {
            auto* item = new TvxMenuItem(nullptr);
            item->SetCaption(caption);
            item->OnClick = [this, action] {
                action();
                Repaint();
            };
            m_editMenu->AddObject(item);
        }
    }
    bool editable = !m_model.ReadOnly();
    bool selection = m_model.SelLength() > 0;
    bool clipboardHasText = editable && platform::Application::Instance().GetBackend().ClipboardText().has_value();
    auto items = m_editMenu->Items();
    items[CutItem]->SetEnabled(m_model.CanCut());
    items[CopyItem]->SetEnabled(m_model.CanCopy());
    items[PasteItem]->SetEnabled(clipboardHasText);
    items[DeleteItem]->SetEnabled(selection && editable);
    items[SelectAllItem]->SetEnabled(!m_model.AllSelected());
    return *m_editMenu;
}

void TvxCustomTextBox::Change()
{
    if (m_needChange)
        OnChange(this);
}

void TvxCustomTextBox::Repaint()
{
    TvxVisualObject::Repaint();
}

void TvxCustomTextBox::ResourceApplied()
{
    TvxControl::ResourceApplied();
    if (auto* foreground = StylePart<TvxBrushObject>("foreground"))
        m_fontFill.Assign(foreground->Brush());
    if (auto* selection = StylePart<TvxBrushObject>("selection"))
        m_selectionFill.Assign(selection->Brush());
    m_content = StylePart<TvxContent>("content");
    if (!m_content)
        return;
    m_content->OnPaint.Set([this](TvxObject*, TvxCanvas* canvas, TvxRect area) {
        if (canvas)
            PaintContent(*canvas, area);
    });
}

void TvxCustomTextBox::ResourceReleasing()
{
    if (m_content)
        m_content->OnPaint.Clear();
    m_content = nullptr;
    TvxControl::ResourceReleasing();
}

std::u16string TvxCustomTextBox::Shown() const
{
    if (!m_model.Password())
        return m_model.Text();
    return std::u16string(m_model.Text().size(), kPasswordDot);
}

float TvxCustomTextBox::Width(TvxCanvas& canvas, std::size_t from, std::size_t to) const
{
    if (to <= from)
        return 0;
    std::u16string shown = Shown();
    return canvas.TextWidth(Utf16ToUtf8(std::u16string_view(shown).substr(from, to - from)));
}

void TvxCustomTextBox::PaintContent(TvxCanvas& canvas, const TvxRect& area)
{
    canvas.Font().Assign(m_font);
    float available = area.Width() - kCaretWidth;
    m_model.ScrollToCaret([&](std::size_t from, std::size_t to) { return Width(canvas, from, to); }, available);
    std::size_t first = m_model.FirstVisibleChar() - 1;
    std::u16string shown = Shown();
    // Only what can show is laid out, however long the text is.
    std::size_t last = std::min(shown.size(), first + 4096);
    std::string visible = Utf16ToUtf8(std::u16string_view(shown).substr(first, last - first));
    float textWidth = canvas.TextWidth(visible);
    TvxTextAlign align = first > 0 || textWidth > available ? TvxTextAlign::vgTextAlignNear : m_textAlign;
    float left = area.Left;
    if (align == TvxTextAlign::vgTextAlignCenter)
        left = area.Left + (area.Width() - textWidth) / 2;
    else if (align == TvxTextAlign::vgTextAlignFar)
        left = area.Right - textWidth - kCaretWidth;
    m_textLeft = left;
    float opacity = AbsoluteOpacity();
    auto xAt = [&](std::size_t position) {
        position = std::clamp(position, first, last);
        return left + Width(canvas, first, position);
    };

    int state = canvas.SaveCanvas();
    // Near alignment lets a glyph overhang the right edge a little.
    float clipRight = area.Right + (align == TvxTextAlign::vgTextAlignNear ? m_font.Size() / 2 : 0);
    canvas.IntersectClipRect({ area.Left, area.Top, clipRight, area.Bottom });
    if (IsFocused() && m_model.SelLength() > 0) {
        float from = xAt(m_model.SelStart());
        float to = xAt(m_model.SelStart() + m_model.SelLength());
        canvas.Fill().Assign(m_selectionFill);
        canvas.FillRect({ from, area.Top, to, area.Bottom }, 0, 0, TvxCorners {}, opacity);
    }
    canvas.Fill().Assign(m_fontFill);
    TvxRect textRect { left, area.Top, std::max(left + textWidth + m_font.Size(), area.Right), area.Bottom };
    canvas.FillText(textRect, textRect, visible, false, opacity, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignCenter);
    if (IsFocused() && m_showCaret) {
        float x = xAt(m_model.CaretPosition());
        float height = m_font.Size() * 1.25f;
        float top = area.Top + (area.Height() - height) / 2;
        TvxRect caret { x, top, x + kCaretWidth, top + height };
        canvas.FillRect(caret, 0, 0, TvxCorners {}, opacity);
        if (Scene() && m_content) {
            TvxPoint topLeft = m_content->LocalToAbsolute({ caret.Left, caret.Top });
            TvxPoint bottomRight = m_content->LocalToAbsolute({ caret.Right, caret.Bottom });
            Scene()->SetInputMethodCaret({ topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y });
        }
    }
    canvas.RestoreCanvas(state);
}

std::size_t TvxCustomTextBox::CharacterAt(float x)
{
    TvxCanvas* canvas = Scene() ? Scene()->Canvas() : nullptr;
    if (!canvas)
        return m_model.Text().size();
    canvas->Font().Assign(m_font);
    std::size_t first = m_model.FirstVisibleChar() - 1;
    std::size_t size = m_model.Text().size();
    // The boundary nearest to x, among the characters that can show.
    std::size_t best = first;
    float bestDistance = std::abs(x - m_textLeft);
    for (std::size_t position = first + 1; position <= std::min(size, first + 4096); ++position) {
        float distance = std::abs(x - (m_textLeft + Width(*canvas, first, position)));
        if (distance > bestDistance)
            break;
        best = position;
        bestDistance = distance;
    }
    return best;
}

void TvxCustomTextBox::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    TvxControl::KeyDown(key, keyChar, shift);
    bool control = (shift & kCtrlKey) != 0;
    EditKeys keys { (shift & kShiftKey) != 0, control };
    if (key == platform::VK_RETURN) {
        Change();
        key = 0;
        return;
    }
    if (key != 0) {
        // Ctrl with a letter comes again as a character; it is handled there.
        if (control && key >= 'A' && key <= 'Z')
            return;
        if (SpecialKey(key) || m_model.KeyDown(static_cast<unsigned>(key), keys, clipboard())) {
            key = 0;
            Repaint();
        }
        return;
    }
    if (keyChar == 0)
        return;
    if (control && keyChar >= U'a' && keyChar <= U'z') {
        if (m_model.KeyDown(static_cast<unsigned>(keyChar - U'a' + U'A'), keys, clipboard()))
            keyChar = 0;
        Repaint();
        return;
    }
    if (m_model.Type(keyChar))
        keyChar = 0;
    Repaint();
}

void TvxCustomTextBox::DialogKey(int& key, TvxShiftState shift)
{
    if (key == platform::VK_ESCAPE && IsFocused()) {
        char32_t character = 0;
        OnKeyDown(this, key, character, shift);
        if (key == 0)
            return;
    }
    TvxControl::DialogKey(key, shift);
}

void TvxCustomTextBox::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    bool hadFocus = IsFocused();
    m_focusByMouse = !hadFocus;
    TvxControl::MouseDown(button, shift, x, y);
    m_focusByMouse = false;
    if (button != TvxMouseButton::mbLeft)
        return;
    if (shift & kDoubleClick) {
        SelectAll();
        return;
    }
    if (hadFocus) {
        TvxPoint point = m_content ? m_content->AbsoluteToLocal(LocalToAbsolute({ x, y })) : TvxPoint { x, y };
        m_model.SetCaretPosition(CharacterAt(point.X));
        Repaint();
    }
    m_mouseSelecting = true;
}

void TvxCustomTextBox::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxControl::MouseMove(shift, x, y);
    if (!m_mouseSelecting || !(shift & kLeftButton))
        return;
    TvxPoint point = m_content ? m_content->AbsoluteToLocal(LocalToAbsolute({ x, y })) : TvxPoint { x, y };
    m_model.ExtendTo(CharacterAt(point.X));
    Repaint();
}

void TvxCustomTextBox::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    m_mouseSelecting = false;
    TvxControl::MouseUp(button, shift, x, y);
}

void TvxCustomTextBox::DoEnterFocus()
{
    TvxControl::DoEnterFocus();
    m_needChange = false;
    if (m_focusByMouse)
        m_model.SetCaretPosition(m_model.Text().size());
    else
        m_model.SelectAll();
    Repaint();
}

void TvxCustomTextBox::DoKillFocus()
{
    TvxControl::DoKillFocus();
    m_mouseSelecting = false;
    Repaint();
    Change();
}

}
