// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxRectFigure.h"

#include "scene/render/TvxPathData.h"

namespace nimbrell {

namespace {

struct FigureBuilder {
    TvxPathData& path;
    TvxPoint current;
    bool started { false };

    void Start(TvxPoint p)
    {
        path.MoveTo(p);
        current = p;
        started = true;
    }
    void Line(TvxPoint p, bool draw)
    {
        if (draw)
            path.LineTo(p);
        else
            path.MoveTo(p);
        current = p;
    }
    void Curve(TvxPoint c1, TvxPoint c2, TvxPoint p)
    {
        path.CurveTo(c1, c2, p);
        current = p;
    }
};

TvxPoint Add(TvxPoint a, TvxPoint b) { return { a.X + b.X, a.Y + b.Y }; }
TvxPoint Mul(TvxPoint a, float k) { return { a.X * k, a.Y * k }; }

// One corner P, entered along a (from P + a) and left along e (to P + e). The square
// halves belong to the incoming and outgoing sides.
void Corner(FigureBuilder& b, TvxPoint p, TvxPoint a, TvxPoint e, bool shaped, TvxCornerType type, float k, bool inSide,
    bool outSide)
{
    TvxPoint entry = Add(p, a), exit = Add(p, e);
    if (!shaped) {
        b.Line(p, inSide);
        b.Line(exit, outSide);
        return;
    }
    switch (type) {
    case TvxCornerType::vgCornerRound:
        b.Curve(Add(p, Mul(a, k)), Add(p, Mul(e, k)), exit);
        break;
    case TvxCornerType::vgCornerBevel:
        b.Line(exit, true);
        break;
    case TvxCornerType::vgCornerInnerRound:
        b.Curve(Add(entry, Mul(e, k)), Add(exit, Mul(a, k)), exit);
        break;
    case TvxCornerType::vgCornerInnerLine:
        b.Line(Add(entry, Mul(e, k)), true);
        b.Line(Add(exit, Mul(a, k)), true);
        b.Line(exit, true);
        break;
    }
}

}

void BuildRectFigure(TvxPathData& path, const TvxRect& r, float rx, float ry, TvxCorners corners, TvxCornerType type,
    float k, TvxSides sides)
{
    if (r.Width() < 2 * rx)
        rx = r.Width() / 2;
    if (r.Height() < 2 * ry)
        ry = r.Height() / 2;
    using C = TvxCorner;
    using S = TvxSide;
    bool top = sides.Contains(S::vgSideTop), left = sides.Contains(S::vgSideLeft);
    bool bottom = sides.Contains(S::vgSideBottom), right = sides.Contains(S::vgSideRight);
    FigureBuilder b { path, {} };
    b.Start({ r.Left, r.Top + ry });
    Corner(b, { r.Left, r.Top }, { 0, ry }, { rx, 0 }, corners.Contains(C::vgCornerTopLeft), type, k, left, top);
    b.Line({ r.Right - rx, r.Top }, top);
    Corner(b, { r.Right, r.Top }, { -rx, 0 }, { 0, ry }, corners.Contains(C::vgCornerTopRight), type, k, top, right);
    b.Line({ r.Right, r.Bottom - ry }, right);
    Corner(b, { r.Right, r.Bottom }, { 0, -ry }, { -rx, 0 }, corners.Contains(C::vgCornerBottomRight), type, k, right, bottom);
    b.Line({ r.Left + rx, r.Bottom }, bottom);
    Corner(b, { r.Left, r.Bottom }, { rx, 0 }, { 0, -ry }, corners.Contains(C::vgCornerBottomLeft), type, k, bottom, left);
    b.Line({ r.Left, r.Top + ry }, left);
    if (sides == kAllSides)
        path.ClosePath();
}

}
