// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxRectangle.h"

#include "scene/render/TvxCanvas.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxRectangle, TvxShape)
{
    c.Float("yRadius", &TvxRectangle::yRadius, &TvxRectangle::SetyRadius);
    c.Float("xRadius", &TvxRectangle::xRadius, &TvxRectangle::SetxRadius);
    c.Set("Corners", &TvxRectangle::Corners, &TvxRectangle::SetCorners).Default(kAllCorners);
    c.Enum("CornerType", &TvxRectangle::CornerType, &TvxRectangle::SetCornerType).Default(TvxCornerType::vgCornerRound);
    c.Set("Sides", &TvxRectangle::Sides, &TvxRectangle::SetSides).Default(kAllSides);
}

TvxRectangle::TvxRectangle(TvxComponent* owner)
    : TvxShape(owner)
{
}

void TvxRectangle::SetxRadius(float value) { UpdateField(m_xRadius, value, kLookChanged); }
void TvxRectangle::SetyRadius(float value) { UpdateField(m_yRadius, value, kLookChanged); }
void TvxRectangle::SetCornerType(TvxCornerType value) { UpdateField(m_cornerType, value, kLookChanged); }
void TvxRectangle::SetSides(TvxSides value) { UpdateField(m_sides, value, kLookChanged); }

void TvxRectangle::SetCorners(TvxCorners value)
{
    UpdateField(m_corners, value, TvxChange::Repaint);
}

void TvxRectangle::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    float opacity = AbsoluteOpacity();
    TvxRect sr = ShapeRect();
    if (m_sides == kAllSides) {
        canvas->FillRect(sr, m_xRadius, m_yRadius, m_corners, opacity, m_cornerType);
        canvas->DrawRect(sr, m_xRadius, m_yRadius, m_corners, opacity, m_cornerType);
        return;
    }
    // Where no outline is drawn, the fill reaches the object's edge.
    float d = sr.Left;
    TvxRect fill = sr;
    if (!m_sides.Contains(TvxSide::vgSideTop))
        fill.Top -= d;
    if (!m_sides.Contains(TvxSide::vgSideLeft))
        fill.Left -= d;
    if (!m_sides.Contains(TvxSide::vgSideBottom))
        fill.Bottom += d;
    if (!m_sides.Contains(TvxSide::vgSideRight))
        fill.Right += d;
    canvas->FillRect(fill, m_xRadius, m_yRadius, m_corners, opacity, m_cornerType);
    canvas->DrawRectSides(sr, m_xRadius, m_yRadius, m_corners, opacity, m_sides, m_cornerType);
}

NIMBRELL_DEFINE_CLASS(TvxRoundRect, TvxShape)
{
    c.Set("Corners", &TvxRoundRect::Corners, &TvxRoundRect::SetCorners).Default(kAllCorners);
}

TvxRoundRect::TvxRoundRect(TvxComponent* owner)
    : TvxShape(owner)
{
}

void TvxRoundRect::SetCorners(TvxCorners value)
{
    UpdateField(m_corners, value, TvxChange::Repaint);
}

void TvxRoundRect::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    TvxRect sr = ShapeRect();
    float r = Height() < Width() ? sr.Height() / 2 : sr.Width() / 2;
    float opacity = AbsoluteOpacity();
    canvas->FillRect(sr, r, r, m_corners, opacity, TvxCornerType::vgCornerRound);
    canvas->DrawRect(sr, r, r, m_corners, opacity, TvxCornerType::vgCornerRound);
}

}
