// SPDX-License-Identifier: GPL-3.0-or-later
// Painting: the paint order of an object and its children, and painting a subtree
// into another canvas.

#include "scene/visual/TvxVisualObject.h"

#include "scene/core/ISceneHost.h"
#include "scene/render/TvxCanvas.h"

#include <exception>
#include <optional>

namespace nimbrell {

TvxRect TvxVisualObject::PaintArea()
{
    // Every level of a paint asks for its children's areas: worked out once a
    // frame, a subtree costs its size instead of its size times its depth.
    const ISceneHost* scene = Scene();
    const int frame = scene ? scene->PaintingFrame() : 0;
    if (frame != 0 && frame == m_paintAreaFrame && scene == m_paintAreaScene)
        return m_paintArea;
    TvxRect area = UnionRect(UpdateRect(), AbsoluteRect());
    if (!m_clipChildren) {
        for (TvxObject* child : Children()) {
            TvxVisualObject* visual = child->Visual();
            if (visual && visual->m_visible)
                area = UnionRect(area, visual->PaintArea());
        }
    }
    m_paintArea = area;
    m_paintAreaScene = scene;
    m_paintAreaFrame = frame;
    return area;
}

bool TvxVisualObject::UpdateRectMeetsScene()
{
    ISceneHost* scene = Scene();
    if (!scene)
        return false;
    TvxRect area = PaintArea();
    for (int i = 0; i < scene->UpdateRectCount(); ++i) {
        if (RectsMeet(area, scene->UpdateRect(i)))
            return true;
    }
    return false;
}

void TvxVisualObject::PaintChildren()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    for (int i = 0; i < ChildrenCount(); ++i) {
        TvxVisualObject* child = Child(i)->Visual();
        if (!child || !child->m_visible)
            continue;
        PaintChild(*child, *canvas);
    }
}

void TvxVisualObject::PaintChild(TvxVisualObject& c, TvxCanvas& canvas)
{
    TvxRect childRect = c.UpdateRect();
    if (childRect.Width() == 0 || childRect.Height() == 0)
        return;
    if (c.Scene() != Scene())
        c.SetScene(Scene());
    if (m_clipChildren && !RectsMeet(childRect, UpdateRect()))
        return;
    if (!c.m_inPaintTo && !c.UpdateRectMeetsScene())
        return;
    c.PaintObject(canvas, { .clipTo = m_clipChildren && c.m_canClipped ? this : nullptr });
}

void TvxVisualObject::PaintObject(TvxCanvas& canvas, const TvxPaintOptions& options)
{
    const bool effects = options.effects && HasEffects();
    {
        std::optional<TvxCanvasStateGuard> parentClip;
        if (options.clipTo) {
            parentClip.emplace(canvas);
            canvas.SetMatrix(options.clipTo->AbsoluteMatrix());
            canvas.IntersectClipRect(options.clipTo->ClipRect());
        }
        canvas.SetMatrix(AbsoluteMatrix());
        PrePaint();
        if (effects && !EffectsDrawAfter())
            ApplyEffects(canvas);
        const bool own = !(effects && EffectReplacesObject());
        if (own) {
            if (options.framedPaint)
                PaintFramed(canvas);
            else
                Paint();
        }
        if (!options.postPaintLast)
            PostPaint();
        if (own) {
            PaintChildren();
            if (options.paintEvent && OnPaint) {
                canvas.SetMatrix(AbsoluteMatrix());
                OnPaint(this, &canvas, LocalRect());
            }
        }
        if (options.postPaintLast)
            PostPaint();
        PaintDragHighlight(canvas);
    }
    // Drawn over the object, outside the parent's clip.
    if (effects && EffectsDrawAfter()) {
        canvas.SetMatrix(AbsoluteMatrix());
        ApplyEffects(canvas);
    }
}

void TvxVisualObject::PaintFramed(TvxCanvas& canvas)
{
    std::optional<TvxCanvasStateGuard> holes;
    for (TvxObject* child : Children()) {
        TvxVisualObject* hole = child->Visual();
        if (!hole || !hole->m_visible || !hole->m_clipParent)
            continue;
        if (!holes)
            holes.emplace(canvas);
        canvas.SetMatrix(hole->AbsoluteMatrix());
        canvas.ExcludeClipRect(hole->LocalRect());
    }
    if (holes)
        canvas.SetMatrix(AbsoluteMatrix());
    std::optional<TvxCanvasStateGuard> ownClip;
    if (m_clipChildren) {
        ownClip.emplace(canvas);
        canvas.IntersectClipRect(ClipRect());
    }
    OnBeforePaint(this, &canvas, LocalRect());
    Paint();
}

void TvxVisualObject::SetInPaintTo(bool value)
{
    m_inPaintTo = value;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.SetInPaintTo(value); });
}

void TvxVisualObject::SetTemporaryCanvas(TvxCanvas* canvas)
{
    m_tempCanvas = canvas;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.SetTemporaryCanvas(canvas); });
}

void TvxVisualObject::RestoreCaches()
{
    RecalcAbsoluteMatrix();
    RecalcUpdateRect();
    RecalcOpacity();
    RecalcEnabled();
}

void TvxVisualObject::PaintTo(TvxCanvas* canvas, const TvxRect& rect, TvxObject* parent, const TvxMatrix* base)
{
    ISceneHost* scene = Scene();
    if (!canvas || !scene || rect.Width() == 0 || rect.Height() == 0 || m_inPaintTo)
        return;
    bool wasDisabled = scene->DisableUpdate();
    scene->SetDisableUpdate(true);
    bool wasAlignDisabled = m_disableAlign;
    m_disableAlign = true;
    SetInPaintTo(true);
    SetTemporaryCanvas(canvas);
    TvxCanvasStateGuard canvasState(*canvas);

    TvxObject* oldParent = Parent();
    int oldIndex = oldParent ? Index() : -1;
    TvxPoint oldPosition = m_position.Point(), oldScale = m_scale.Point();
    float oldAngle = m_rotateAngle;
    bool reparent = parent != oldParent;
    if (reparent) {
        if (oldParent)
            oldParent->TvxObject::RemoveObject(this);
        if (parent)
            parent->TvxObject::AddObject(this);
        TvxObject::SetScene(scene);
    }
    if (!parent && base)
        m_paintToBase = *base;
    m_rotateAngle = 0;
    m_position.SetPoint({ rect.Left, rect.Top });
    m_scale.SetPoint({ m_width != 0 ? rect.Width() / m_width : 1, m_height != 0 ? rect.Height() / m_height : 1 });
    MatrixChanged();
    RestoreCaches();
    // A failed paint must not leave the tree moved: restore, then pass the error on.
    std::exception_ptr failure;
    try {
        PaintObject(*canvas, kPaintIntoTarget);
    } catch (...) {
        failure = std::current_exception();
    }
    if (reparent) {
        if (parent)
            parent->TvxObject::RemoveObject(this);
        if (oldParent) {
            oldParent->TvxObject::AddObject(this);
            MoveToIndex(oldIndex);
        }
        TvxObject::SetScene(scene);
    }
    m_paintToBase.reset();
    m_rotateAngle = oldAngle;
    m_position.SetPoint(oldPosition);
    m_scale.SetPoint(oldScale);
    MatrixChanged();
    RestoreCaches();
    SetTemporaryCanvas(nullptr);
    SetInPaintTo(false);
    m_disableAlign = wasAlignDisabled;
    scene->SetDisableUpdate(wasDisabled);
    if (failure)
        std::rethrow_exception(failure);
}

}
