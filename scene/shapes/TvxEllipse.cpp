// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxEllipse.h"

#include "scene/render/TvxCanvas.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxEllipse, TvxShape)
{
}

TvxEllipse::TvxEllipse(TvxComponent* owner)
    : TvxShape(owner)
{
}

void TvxEllipse::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    float opacity = AbsoluteOpacity();
    canvas->FillEllipse(ShapeRect(), opacity);
    canvas->DrawEllipse(ShapeRect(), opacity);
}

bool TvxEllipse::PointInObject(float x, float y)
{
    TvxPoint p = AbsoluteToLocal({ x, y });
    float w = Width(), h = Height();
    if (w * h == 0)
        return false;
    float dx = (2 * p.X - w) / w, dy = (2 * p.Y - h) / h;
    return dx * dx + dy * dy <= 1;
}

}
