// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The base of drawable shapes: a fill brush, a stroke brush and the stroke geometry.
// Before the shape paints, PrePaint puts them into the canvas; PostPaint resets the
// canvas dash and thickness. Shapes paint in local coordinates at their absolute opacity.

#include "scene/visual/TvxVisualObject.h"
#include "scene/render/CanvasEnums.h"
#include "scene/render/TvxBrush.h"

namespace nimbrell {

class TvxShape : public TvxVisualObject {
    NIMBRELL_CLASS(TvxShape)
public:
    explicit TvxShape(TvxComponent* owner, TvxColor fillColor = 0xFFE0E0E0, TvxBrushStyle strokeStyle = TvxBrushStyle::vgBrushSolid);

    TvxBrush& Fill() { return m_fill; }
    const TvxBrush& Fill() const { return m_fill; }
    // Copies the brush into the owned one.
    void SetFill(const TvxBrush& brush) { m_fill.Assign(brush); }
    TvxBrush& Stroke() { return m_stroke; }
    const TvxBrush& Stroke() const { return m_stroke; }
    void SetStroke(const TvxBrush& brush) { m_stroke.Assign(brush); }
    float StrokeThickness() const { return m_strokeThickness; }
    void SetStrokeThickness(float value);
    TvxStrokeCap StrokeCap() const { return m_strokeCap; }
    void SetStrokeCap(TvxStrokeCap value);
    TvxStrokeJoin StrokeJoin() const { return m_strokeJoin; }
    void SetStrokeJoin(TvxStrokeJoin value);
    TvxStrokeDash StrokeDash() const { return m_strokeDash; }
    void SetStrokeDash(TvxStrokeDash value);

    // The local rectangle, shrunk by half the stroke thickness on every side when there is
    // a stroke, so the whole outline stays inside the bounds.
    TvxRect ShapeRect() const;

protected:
    void PrePaint() override;
    void PostPaint() override;
    virtual void FillChanged();
    virtual void StrokeChanged();
    // What follows a change of how the shape looks: its effect images render again
    // and it repaints.
    static constexpr TvxChange kLookChanged = TvxChange::EffectsStale | TvxChange::Repaint;

private:
    TvxBrush m_fill;
    float m_strokeThickness { 1 };
    TvxBrush m_stroke;
    TvxStrokeCap m_strokeCap { TvxStrokeCap::vgCapFlat };
    TvxStrokeJoin m_strokeJoin { TvxStrokeJoin::vgJoinMiter };
    TvxStrokeDash m_strokeDash { TvxStrokeDash::vgDashSolid };
};

}
