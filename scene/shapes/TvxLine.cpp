// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxLine.h"

#include "scene/render/TvxCanvas.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxLine, TvxShape)
{
    // A line has no fill to store.
    c.Object("Fill", [](const TvxLine& l) { return &l.Fill(); }).NeverStored();
    c.Enum("LineType", &TvxLine::LineType, &TvxLine::SetLineType).Default(TvxLineType::vgLineNormal);
}

TvxLine::TvxLine(TvxComponent* owner)
    : TvxShape(owner)
{
}

void TvxLine::SetLineType(TvxLineType value)
{
    UpdateField(m_lineType, value, TvxChange::Repaint);
}

void TvxLine::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    TvxRect sr = ShapeRect();
    TvxPoint end { sr.Right, sr.Bottom };
    if (m_lineType == TvxLineType::vgLineHorizontal)
        end = { sr.Right, sr.Top };
    else if (m_lineType == TvxLineType::vgLineVertical)
        end = { sr.Left, sr.Bottom };
    canvas->DrawLine({ sr.Left, sr.Top }, end, AbsoluteOpacity());
}

}
