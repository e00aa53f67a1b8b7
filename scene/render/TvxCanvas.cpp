// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxCanvas.h"

#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxPathData.h"
#include "scene/render/TvxRectFigure.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace nimbrell {

TvxCanvas::VisualPainter TvxCanvas::s_visualPainter = nullptr;

TvxCanvas::TvxCanvas() = default;
TvxCanvas::~TvxCanvas() = default;

void TvxCanvas::SetVisualPainter(VisualPainter painter)
{
    s_visualPainter = painter;
}

std::uint32_t* TvxCanvas::BufferBits()
{
    TvxBitmap* buffer = Buffer();
    return buffer ? buffer->Bits() : nullptr;
}

void TvxCanvas::SetStrokeDash(TvxStrokeDash value)
{
    m_paint.strokeDash = value;
    switch (value) {
    case TvxStrokeDash::vgDashSolid:
        m_paint.dash.clear();
        break;
    case TvxStrokeDash::vgDashDash:
        m_paint.dash = { 3, 1 };
        break;
    case TvxStrokeDash::vgDashDot:
        m_paint.dash = { 1, 1 };
        break;
    case TvxStrokeDash::vgDashDashDot:
        m_paint.dash = { 3, 1, 1, 1 };
        break;
    case TvxStrokeDash::vgDashDashDotDot:
        m_paint.dash = { 3, 1, 1, 1, 1, 1 };
        break;
    case TvxStrokeDash::vgDashCustom:
        return;
    }
    m_paint.dashOffset = 0;
}

void TvxCanvas::SetCustomDash(std::vector<float> dash, float offset)
{
    m_paint.strokeDash = TvxStrokeDash::vgDashCustom;
    m_paint.dash = std::move(dash);
    m_paint.dashOffset = offset;
}

void TvxCanvas::PaintState::CopyValuesFrom(const PaintState& other)
{
    fill.Assign(other.fill);
    stroke.Assign(other.stroke);
    strokeThickness = other.strokeThickness;
    strokeCap = other.strokeCap;
    strokeJoin = other.strokeJoin;
    strokeDash = other.strokeDash;
    dash = other.dash;
    dashOffset = other.dashOffset;
    font.Assign(other.font);
}

std::unique_ptr<TvxCanvas::PaintState> TvxCanvas::CopyPaintState() const
{
    auto state = std::make_unique<PaintState>();
    state->matrix = m_paint.matrix;
    state->CopyValuesFrom(m_paint);
    return state;
}

void TvxCanvas::RestorePaintState(const PaintState& state)
{
    m_paint.CopyValuesFrom(state);
    SetMatrix(state.matrix);
}

namespace {

// Bézier pieces of at most 90 degrees approximating the elliptic arc.
void AddArc(TvxPathData& path, TvxPoint center, TvxPoint radius, float startAngle, float sweepAngle)
{
    double start = startAngle * std::numbers::pi / 180.0;
    double sweep = std::clamp(double(sweepAngle), -360.0, 360.0) * std::numbers::pi / 180.0;
    int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (std::numbers::pi / 2) - 1e-9)));
    double step = sweep / pieces;
    auto at = [&](double a) {
        return TvxPoint { static_cast<float>(center.X + radius.X * std::cos(a)), static_cast<float>(center.Y + radius.Y * std::sin(a)) };
    };
    path.MoveTo(at(start));
    for (int i = 0; i < pieces; ++i) {
        double a0 = start + step * i, a1 = a0 + step;
        double k = 4.0 / 3.0 * std::tan(step / 4);
        TvxPoint p0 = at(a0), p1 = at(a1);
        TvxPoint c1 { static_cast<float>(p0.X - k * radius.X * std::sin(a0)), static_cast<float>(p0.Y + k * radius.Y * std::cos(a0)) };
        TvxPoint c2 { static_cast<float>(p1.X + k * radius.X * std::sin(a1)), static_cast<float>(p1.Y - k * radius.Y * std::cos(a1)) };
        path.CurveTo(c1, c2, p1);
    }
}

}

void TvxCanvas::FillArc(TvxPoint center, TvxPoint radius, float startAngle, float sweepAngle, float opacity)
{
    TvxPathData path;
    AddArc(path, center, radius, startAngle, sweepAngle);
    FillPath(path, path.Bounds(), opacity);
}

void TvxCanvas::DrawArc(TvxPoint center, TvxPoint radius, float startAngle, float sweepAngle, float opacity)
{
    TvxPathData path;
    AddArc(path, center, radius, startAngle, sweepAngle);
    DrawPath(path, path.Bounds(), opacity);
}

void TvxCanvas::DrawRectSides(const TvxRect& rect, float xRadius, float yRadius, TvxCorners corners, float opacity,
    TvxSides sides, TvxCornerType cornerType)
{
    if (m_paint.stroke.Style() == TvxBrushStyle::vgBrushNone)
        return;
    TvxPathData path;
    BuildRectFigure(path, rect, xRadius, yRadius, corners, cornerType, 0.5f, sides);
    DrawPath(path, rect, opacity);
}

TvxRect TvxCanvas::TakeDrawnArea()
{
    TvxRect drawn = std::exchange(m_drawn, {});
    if (m_deviceScale == 1 || IsRectEmpty(drawn))
        return drawn;
    const float k = m_deviceScale;
    return { std::floor(drawn.Left / k), std::floor(drawn.Top / k), std::ceil(drawn.Right / k), std::ceil(drawn.Bottom / k) };
}

void TvxCanvas::AddDrawnArea(const TvxRect& deviceArea)
{
    IncludeRect(m_drawn, { std::floor(deviceArea.Left), std::floor(deviceArea.Top), std::ceil(deviceArea.Right), std::ceil(deviceArea.Bottom) });
}

float TvxCanvas::TextWidth(std::string_view text)
{
    TvxRect rect { 0, 0, 10000, 20 };
    MeasureText(rect, rect, text, false, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
    return rect.Width();
}

}
