// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxTextControl.h"

#include "scene/render/TvxBrushObject.h"
#include "scene/shapes/TvxText.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxTextControl, TvxControl)
{
    c.Object("Font", [](const TvxTextControl& t) { return &t.Font(); });
    c.Object("FontFill", [](const TvxTextControl& t) { return &t.FontFill(); });
    c.Enum("TextAlign", &TvxTextControl::TextAlign, &TvxTextControl::SetTextAlign).Default(TvxTextAlign::vgTextAlignCenter);
    c.Enum("VertTextAlign", &TvxTextControl::VertTextAlign, &TvxTextControl::SetVertTextAlign).Default(TvxTextAlign::vgTextAlignCenter);
    c.Enum("WordWrap", &TvxTextControl::WordWrap, &TvxTextControl::SetWordWrap).StoredWhen([](const TvxTextControl& t) {
        return t.m_wordWrap != t.m_wordWrapDefault;
    });
    c.Text("Text", &TvxTextControl::Text, [](TvxTextControl& t, std::string_view value) { t.SetText(value); });
    c.Enum("AutoTranslate", &TvxTextControl::AutoTranslate, &TvxTextControl::SetAutoTranslate).Default(false);
}

TvxTextControl::TvxTextControl(TvxComponent* owner)
    : TvxControl(owner)
{
    m_font.OnChanged = [this] { FontChanged(); };
    m_fontFill.OnChanged = [this] {
        if (TvxText* text = TextPart())
            text->Fill().Assign(m_fontFill);
    };
}

TvxText* TvxTextControl::TextPart()
{
    return StylePart<TvxText>("text");
}

void TvxTextControl::ResourceApplied()
{
    TvxControl::ResourceApplied();
    if (auto* foreground = StylePart<TvxBrushObject>("foreground"))
        m_fontFill.Assign(foreground->Brush());
    TvxText* text = TextPart();
    if (!text)
        return;
    text->SetText(m_autoTranslate ? Translate(m_text) : m_text);
    text->SetHorzTextAlign(m_textAlign);
    text->SetVertTextAlign(m_vertTextAlign);
    text->SetWordWrap(m_wordWrap);
    text->SetFont(m_font);
}

void TvxTextControl::FontChanged()
{
    if (TvxText* text = TextPart())
        text->SetFont(m_font);
}

void TvxTextControl::SetText(std::string_view value)
{
    if (m_text == value)
        return;
    m_text = std::string(value);
    if (TvxText* text = TextPart()) {
        text->SetText(m_text);
        text->EffectChanged();
    } else if (auto* whole = dynamic_cast<TvxText*>(StyleClone())) {
        whole->SetText(m_text);
    } else {
        Repaint();
    }
    UpdateEffects();
}

void TvxTextControl::SetTextAlign(TvxTextAlign value)
{
    m_textAlign = value;
    if (TvxText* text = TextPart())
        text->SetHorzTextAlign(value);
    else
        Repaint();
}

void TvxTextControl::SetVertTextAlign(TvxTextAlign value)
{
    m_vertTextAlign = value;
    if (TvxText* text = TextPart())
        text->SetVertTextAlign(value);
    else
        Repaint();
}

void TvxTextControl::SetWordWrap(bool value)
{
    m_wordWrap = value;
    if (TvxText* text = TextPart())
        text->SetWordWrap(value);
}

void TvxTextControl::SetData(const TvxVariant& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        SetText(*text);
    else
        SetText({});
}

}
