// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxLabel.h"

#include "scene/shapes/TvxText.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxLabel, TvxTextControl)
{
    c.Enum("AutoSize", &TvxLabel::AutoSize, &TvxLabel::SetAutoSize).Default(false);
    // Labels let the mouse through unless told otherwise, so a label that takes
    // hits must keep that in its stream.
    c.Enum("HitTest", &TvxLabel::HitTest, &TvxLabel::SetHitTest).Default(false);
}

NIMBRELL_DEFINE_CLASS(TvxHudLabel, TvxLabel)
{
}

TvxLabel::TvxLabel(TvxComponent* owner)
    : TvxTextControl(owner)
{
    SetWidth(120);
    SetHeight(15);
    SetHitTest(false);
    SetAutoTranslate(true);
    SetWordWrapDefault(true);
}

void TvxLabel::ResourceApplied()
{
    TvxTextControl::ResourceApplied();
    if (TvxText* text = TextPart())
        text->SetWordWrap(WordWrap());
    if (m_autoSize)
        FitToText();
}

void TvxLabel::SetAutoSize(bool value)
{
    if (m_autoSize == value)
        return;
    m_autoSize = value;
    if (m_autoSize)
        FitToText();
}

void TvxLabel::SetText(std::string_view value)
{
    bool changed = Text() != value;
    TvxTextControl::SetText(value);
    if (changed && m_autoSize)
        FitToText();
}

void TvxLabel::FitToText()
{
    TvxText* text = TextPart();
    if (!text)
        return;
    SetWordWrap(false);
    SetTextAlign(TvxTextAlign::vgTextAlignNear);
    SetVertTextAlign(TvxTextAlign::vgTextAlignNear);
    TvxAlign align = text->Align();
    text->SetAlign(TvxAlign::vaNone);
    text->SetAutoSize(true);
    text->SetAutoSize(false);
    SetWidth(text->Width());
    SetHeight(text->Height());
    text->SetAlign(align);
}

}
