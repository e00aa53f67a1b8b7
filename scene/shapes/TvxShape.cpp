// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxShape.h"

#include "scene/render/TvxCanvas.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxShape, TvxVisualObject)
{
    c.Object("Fill", [](const TvxShape& s) { return &s.Fill(); });
    c.Float("StrokeThickness", &TvxShape::StrokeThickness, &TvxShape::SetStrokeThickness).StoredWhen([](const TvxShape& s) {
        return s.StrokeThickness() != 1;
    });
    c.Object("Stroke", [](const TvxShape& s) { return &s.Stroke(); });
    c.Enum("StrokeCap", &TvxShape::StrokeCap, &TvxShape::SetStrokeCap).Default(TvxStrokeCap::vgCapFlat);
    c.Enum("StrokeJoin", &TvxShape::StrokeJoin, &TvxShape::SetStrokeJoin).Default(TvxStrokeJoin::vgJoinMiter);
    c.Enum("StrokeDash", &TvxShape::StrokeDash, &TvxShape::SetStrokeDash).Default(TvxStrokeDash::vgDashSolid);
}

TvxShape::TvxShape(TvxComponent* owner, TvxColor fillColor, TvxBrushStyle strokeStyle)
    : TvxVisualObject(owner)
    , m_fill(TvxBrushStyle::vgBrushSolid, fillColor)
    , m_stroke(strokeStyle, 0xFF000000)
{
    m_fill.OnChanged = [this] { FillChanged(); };
    m_stroke.OnChanged = [this] { StrokeChanged(); };
}

void TvxShape::FillChanged()
{
    ApplyChange(kLookChanged);
}

void TvxShape::StrokeChanged()
{
    ApplyChange(kLookChanged);
}

void TvxShape::SetStrokeThickness(float value) { UpdateField(m_strokeThickness, value, kLookChanged); }
void TvxShape::SetStrokeCap(TvxStrokeCap value) { UpdateField(m_strokeCap, value, kLookChanged); }
void TvxShape::SetStrokeJoin(TvxStrokeJoin value) { UpdateField(m_strokeJoin, value, kLookChanged); }
void TvxShape::SetStrokeDash(TvxStrokeDash value) { UpdateField(m_strokeDash, value, kLookChanged); }

TvxRect TvxShape::ShapeRect() const
{
    TvxRect r = LocalRect();
    if (m_stroke.Style() == TvxBrushStyle::vgBrushNone)
        return r;
    float half = m_strokeThickness / 2;
    return InflateRect(r, -half, -half);
}

void TvxShape::PrePaint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    canvas->Fill().Assign(m_fill);
    canvas->Stroke().Assign(m_stroke);
    canvas->SetStrokeThickness(m_strokeThickness);
    canvas->SetStrokeCap(m_strokeCap);
    canvas->SetStrokeJoin(m_strokeJoin);
    canvas->SetStrokeDash(m_strokeDash);
}

void TvxShape::PostPaint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    canvas->SetStrokeDash(TvxStrokeDash::vgDashSolid);
    canvas->SetStrokeThickness(1);
}

}
