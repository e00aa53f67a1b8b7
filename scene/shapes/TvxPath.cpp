// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxPath.h"

#include "scene/render/TvxCanvas.h"
#include "scene/shapes/FitRect.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxCustomPath, TvxShape)
{
}

TvxCustomPath::TvxCustomPath(TvxComponent* owner)
    : TvxShape(owner)
{
    m_data.OnChanged = [this] { ApplyChange(TvxChange::Repaint); };
}

void TvxCustomPath::SetWrapMode(TvxPathWrap value)
{
    UpdateField(m_wrapMode, value, TvxChange::Repaint);
}

void TvxCustomPath::PaintAt(TvxCanvas& canvas, const TvxRect& target, float opacity)
{
    canvas.FillPath(m_data, target, opacity);
    canvas.DrawPath(m_data, target, opacity);
}

void TvxCustomPath::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas || m_data.IsEmpty())
        return;
    float opacity = AbsoluteOpacity();
    TvxRect sr = ShapeRect();
    TvxRect bounds = m_data.Bounds();
    switch (m_wrapMode) {
    case TvxPathWrap::vgPathOriginal: {
        int state = canvas->SaveCanvas();
        canvas->IntersectClipRect(LocalRect());
        PaintAt(*canvas, OffsetRect(bounds, sr.Left, sr.Top), opacity);
        canvas->RestoreCanvas(state);
        break;
    }
    case TvxPathWrap::vgPathFit:
        PaintAt(*canvas, FitRect(bounds, sr), opacity);
        break;
    case TvxPathWrap::vgPathStretch:
        PaintAt(*canvas, sr, opacity);
        break;
    case TvxPathWrap::vgPathTile: {
        int state = canvas->SaveCanvas();
        canvas->IntersectClipRect(LocalRect());
        int columns = static_cast<int>(RoundHalfEven(Width() / bounds.Width()));
        int rows = static_cast<int>(RoundHalfEven(Height() / bounds.Height()));
        // Paths much smaller than the shape would make tiles by the million.
        columns = std::min(columns, 4096);
        rows = std::min(rows, 4096);
        for (int i = 0; i <= columns; ++i) {
            for (int j = 0; j <= rows; ++j) {
                TvxRect tile = OffsetRect(bounds, sr.Left + i * (bounds.Width() + 2 * sr.Left), sr.Top + j * (bounds.Height() + 2 * sr.Top));
                PaintAt(*canvas, tile, opacity);
            }
        }
        canvas->RestoreCanvas(state);
        break;
    }
    }
}

bool TvxCustomPath::PointInObject(float x, float y)
{
    TvxCanvas* canvas = Canvas();
    if (!canvas || m_data.Count() <= 1)
        return TvxShape::PointInObject(x, y);
    return canvas->PtInPath(AbsoluteToLocal({ x, y }), ShapeRect(), m_data);
}

NIMBRELL_DEFINE_CLASS(TvxPath, TvxCustomPath)
{
    c.Object("Data", [](const TvxPath& p) { return &p.Data(); });
    c.Enum("WrapMode", &TvxPath::WrapMode, &TvxPath::SetWrapMode).Default(TvxPathWrap::vgPathStretch);
}

TvxPath::TvxPath(TvxComponent* owner)
    : TvxCustomPath(owner)
{
}

NIMBRELL_DEFINE_CLASS(TvxScrollArrowLeft, TvxCustomPath)
{
}

TvxScrollArrowLeft::TvxScrollArrowLeft(TvxComponent* owner)
    : TvxCustomPath(owner)
{
    Data().SetPathString("M 1,0 L 1,1 L 0,0.500 L 1,0 Z");
    Data().Scale(100, 100);
    SetWrapMode(TvxPathWrap::vgPathFit);
}

NIMBRELL_DEFINE_CLASS(TvxScrollArrowRight, TvxCustomPath)
{
}

TvxScrollArrowRight::TvxScrollArrowRight(TvxComponent* owner)
    : TvxCustomPath(owner)
{
    Data().SetPathString("M 0,0 L 0,1 L 1,0.500 Z");
    Data().Scale(100, 100);
    SetWrapMode(TvxPathWrap::vgPathFit);
}

}
