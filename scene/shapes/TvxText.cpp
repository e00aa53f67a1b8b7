// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxText.h"

#include "scene/render/TvxCanvas.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxText, TvxShape)
{
    c.Text("Text", &TvxText::Text, &TvxText::SetText);
    c.Object("Font", [](const TvxText& t) { return &t.Font(); });
    c.Enum("VertTextAlign", &TvxText::VertTextAlign, &TvxText::SetVertTextAlign).Default(TvxTextAlign::vgTextAlignCenter);
    c.Enum("HorzTextAlign", &TvxText::HorzTextAlign, &TvxText::SetHorzTextAlign).Default(TvxTextAlign::vgTextAlignCenter);
    c.Enum("WordWrap", &TvxText::WordWrap, &TvxText::SetWordWrap).Default(true);
    c.Enum("AutoSize", &TvxText::AutoSize, &TvxText::SetAutoSize).Default(false);
    c.Enum("Stretch", &TvxText::Stretch, &TvxText::SetStretch).Default(false);
    c.Enum("ShrinkToFit", &TvxText::ShrinkToFit, &TvxText::SetShrinkToFit).Default(false);
}

TvxText::TvxText(TvxComponent* owner)
    : TvxShape(owner, 0xFF000000, TvxBrushStyle::vgBrushNone)
{
    m_font.OnChanged = [this] { FontChanged(); };
}

void TvxText::SetText(std::string_view value)
{
    if (!UpdateField(m_text, value, TvxChange::EffectsStale))
        return;
    ApplyAutoSize();
    Repaint();
}

void TvxText::FontChanged()
{
    UpdateEffects();
    ApplyAutoSize();
    Repaint();
}

void TvxText::SetVertTextAlign(TvxTextAlign value) { UpdateField(m_vertTextAlign, value, kLookChanged); }
void TvxText::SetHorzTextAlign(TvxTextAlign value) { UpdateField(m_horzTextAlign, value, kLookChanged); }

void TvxText::SetWordWrap(bool value)
{
    UpdateField(m_wordWrap, value, TvxChange::Repaint);
}

void TvxText::SetAutoSize(bool value)
{
    if (UpdateField(m_autoSize, value, TvxChange::None))
        ApplyAutoSize();
}

void TvxText::SetStretch(bool value)
{
    if (!UpdateField(m_stretch, value, TvxChange::EffectsStale))
        return;
    if (value)
        m_autoSize = false;
    Repaint();
}

void TvxText::SetShrinkToFit(bool value)
{
    UpdateField(m_shrinkToFit, value, TvxChange::EffectsStale);
    Repaint();
}

void TvxText::SetData(const TvxVariant& value)
{
    if (auto* text = std::get_if<std::string>(&value))
        SetText(*text);
}

void TvxText::Realign()
{
    TvxShape::Realign();
    ApplyAutoSize();
}

void TvxText::ApplyAutoSize()
{
    TvxCanvas* canvas = Canvas();
    if (!m_autoSize || !canvas || m_text.empty() || AlignDisabled())
        return;
    SetAlignDisabled(true);
    canvas->Font().Assign(m_font);
    TvxRect r = m_wordWrap ? TvxRect { 0, 0, Width(), 1000 } : TvxRect { 0, 0, 1000, 1000 };
    canvas->MeasureText(r, r, m_text, m_wordWrap, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
    if (!m_wordWrap)
        SetWidth(m_font.Size() / 2 + r.Right);
    if (m_vertTextAlign != TvxTextAlign::vgTextAlignCenter)
        SetHeight(r.Bottom);
    SetAlignDisabled(false);
    if (TvxVisualObject* parent = VisualParent())
        parent->Realign();
}

void TvxText::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    canvas->Font().Assign(m_font);
    float opacity = AbsoluteOpacity();
    if (m_shrinkToFit && !m_stretch) {
        PaintShrunk(*canvas, opacity);
        return;
    }
    if (!m_stretch) {
        canvas->FillText(LocalRect(), LocalRect(), m_text, m_wordWrap, opacity, m_horzTextAlign, m_vertTextAlign);
        return;
    }
    TvxRect m { 0, 0, 1000, 1000 };
    canvas->MeasureText(m, m, m_text, false, m_horzTextAlign, m_vertTextAlign);
    m = OffsetRect(m, -m.Left, -m.Top);
    TvxMatrix scale;
    if (m.Width() > 0 && m.Height() > 0) {
        scale.m11 = Width() / m.Width();
        scale.m22 = Height() / m.Height();
    }
    canvas->MultyMatrix(scale);
    float grow = m_font.Size() / 3;
    m = InflateRect(m, grow, grow);
    canvas->FillText(m, m, m_text, false, opacity, m_horzTextAlign, m_vertTextAlign);
}

// One line inside the element: the size shrinks with the text's width down to
// a floor, and what still does not fit is cut at the element's edges.
void TvxText::PaintShrunk(TvxCanvas& canvas, float opacity)
{
    constexpr float kSmallestScale = 0.6f;
    TvxRect box = LocalRect();
    float size = m_font.Size();
    for (int attempt = 0; attempt < 4; ++attempt) {
        TvxRect measured { 0, 0, 10000, 10000 };
        canvas.MeasureText(measured, measured, m_text, false, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
        float width = measured.Right - measured.Left;
        if (width <= box.Width() || size <= m_font.Size() * kSmallestScale)
            break;
        // Glyph sizes do not scale quite linearly: aim a little below.
        size = std::max(m_font.Size() * kSmallestScale, size * box.Width() / width * 0.98f);
        canvas.Font().SetSize(size);
    }
    TvxCanvasStateGuard guard(canvas);
    canvas.IntersectClipRect(box);
    canvas.FillText(box, box, m_text, false, opacity, m_horzTextAlign, m_vertTextAlign);
}

}
