// SPDX-License-Identifier: GPL-3.0-or-later
// The frame: the pending rectangles painted in one pass, background first, then the
// roots and the drag image, and the buffer presented.

#include "scene/host/TvxCustomScene.h"
#include "scene/shapes/StackBlur.h"

#include <algorithm>

namespace nimbrell {

namespace {

// Pending rectangles above this count are painted as their union.
constexpr std::size_t maximumPendingRects = 20;

}

bool TvxCustomScene::Draw()
{
    if (m_drawing || m_pending.empty())
        return false;
    m_drawing = true;
    struct Finish {
        TvxCustomScene& scene;
        ~Finish()
        {
            scene.m_pending.clear();
            scene.m_drawing = false;
        }
    } finish { *this };

    if (m_pending.size() > maximumPendingRects) {
        TvxRect all = m_pending.front();
        for (const TvxRect& r : m_pending)
            all = UnionRect(all, r);
        m_pending.assign(1, all);
    }
    // An object asks for its area and its children for theirs inside it: a
    // rectangle inside another is cleared, painted and pushed once.
    auto inside = [](const TvxRect& inner, const TvxRect& outer) {
        return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right && inner.Bottom <= outer.Bottom;
    };
    for (std::size_t i = 0; i < m_pending.size();) {
        bool covered = false;
        for (std::size_t j = 0; j < m_pending.size() && !covered; ++j)
            covered = j != i && inside(m_pending[i], m_pending[j]) && (m_pending[i] != m_pending[j] || j < i);
        if (covered)
            m_pending.erase(m_pending.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    TvxCanvas& canvas = *m_canvas;
    canvas.BeginScene();
    canvas.ResetClipRect();
    canvas.SetMatrix(TvxMatrix::Identity());
    canvas.SetClipRects(m_pending);
    PaintBackground();
    canvas.SetStrokeThickness(1);
    canvas.SetStrokeCap(TvxStrokeCap::vgCapFlat);
    canvas.SetStrokeJoin(TvxStrokeJoin::vgJoinMiter);
    canvas.SetStrokeDash(TvxStrokeDash::vgDashSolid);
    canvas.Stroke().SetStyle(TvxBrushStyle::vgBrushSolid);
    canvas.Fill().SetStyle(TvxBrushStyle::vgBrushSolid);
    PaintRoots();
    PaintDragImage();
    IncludeRect(m_inked, IntersectRect(canvas.TakeDrawnArea(), { 0, 0, float(Width()), float(Height()) }));
    canvas.EndScene();
    ++m_frames;
    Present();
    // The blur's working planes serve the frames of an animation; after the last one,
    // or a frame on its own, they are given back.
    if (!AnimationClockArmed())
        ReleaseBlurScratch();
    return true;
}

void TvxCustomScene::PaintBackground()
{
    TvxCanvas& canvas = *m_canvas;
    TvxColor color = m_fill.SolidColor();
    bool clear = m_fill.Style() == TvxBrushStyle::vgBrushNone || (m_fill.Style() == TvxBrushStyle::vgBrushSolid && (color >> 24) == 0);
    if (clear) {
        // Every colour of alpha 0 clears to 0, which is what a new buffer holds:
        // the pages no frame has painted stay untouched, so a large, mostly
        // transparent window does not hold its whole buffer in memory.
        for (const TvxRect& r : m_pending)
            canvas.ClearRect(IntersectRect(r, m_inked), 0);
        return;
    }
    canvas.Fill().Assign(m_fill);
    canvas.FillRect({ -1, -1, float(Width()) + 1, float(Height()) + 1 }, 0, 0, kAllCorners, 1);
}

void TvxCustomScene::PaintRoots()
{
    TvxCanvas& canvas = *m_canvas;
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        TvxVisualObject* root = m_roots[i]->Visual();
        if (!root || !root->Visible())
            continue;
        TvxRect area = root->UpdateRect();
        if (std::none_of(m_pending.begin(), m_pending.end(), [&](const TvxRect& r) { return RectsMeet(area, r); }))
            continue;
        root->PaintObject(canvas, kPaintAsRoot);
    }
}

void TvxCustomScene::DrawAll()
{
    AddUpdateRect({ 0, 0, 65535, 65535 });
    Draw();
}

}
