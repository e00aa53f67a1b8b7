// Painting: the paint order of an object and its children, and painting a subtree
// into another canvas.

#include "scene/visual/TvxVisualObject.h"

#include "scene/core/ISceneHost.h"
#include "scene/render/TvxCanvas.h"

#include <exception>

namespace nimbrell {

TvxRect TvxVisualObject::PaintArea()
{
    TvxRect area = UnionRect(UpdateRect(), AbsoluteRect());
    if (m_clipChildren)
        return area;
    for (TvxObject* child : Children()) {
        TvxVisualObject* visual = child->Visual();
        if (visual && visual->m_visible)
            area = UnionRect(area, visual->PaintArea());
    }
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
    int clipState = -1;
    if (m_clipChildren && c.m_canClipped) {
        clipState = canvas.SaveCanvas();
        canvas.SetMatrix(AbsoluteMatrix());
        canvas.IntersectClipRect(ClipRect());
    }
    canvas.SetMatrix(c.AbsoluteMatrix());
    c.PrePaint();
    bool effects = c.HasEffects();
    if (effects && !c.EffectsDrawAfter())
        c.ApplyEffects(canvas);
    if (!(effects && c.EffectReplacesObject()))
        PaintOwnAndChildren(c, canvas);
    c.PostPaint();
    if (effects && c.EffectsDrawAfter())
        c.ApplyEffects(canvas);
    if (clipState >= 0)
        canvas.RestoreCanvas(clipState);
}


void TvxVisualObject::PaintOwnAndChildren(TvxVisualObject& c, TvxCanvas& canvas)
{
    int holeState = -1;
    for (TvxObject* grandchild : c.Children()) {
        TvxVisualObject* hole = grandchild->Visual();
        if (!hole || !hole->m_visible || !hole->m_clipParent)
            continue;
        if (holeState < 0)
            holeState = canvas.SaveCanvas();
        canvas.SetMatrix(hole->AbsoluteMatrix());
        canvas.ExcludeClipRect(hole->LocalRect());
    }
    if (holeState >= 0)
        canvas.SetMatrix(c.AbsoluteMatrix());
    if (c.m_clipChildren) {
        int own = canvas.SaveCanvas();
        canvas.IntersectClipRect(c.ClipRect());
        c.OnBeforePaint(&c, &canvas, c.LocalRect());
        c.Paint();
        canvas.RestoreCanvas(own);
    } else {
        c.OnBeforePaint(&c, &canvas, c.LocalRect());
        c.Paint();
    }
    if (holeState >= 0)
        canvas.RestoreCanvas(holeState);
    c.PaintChildren();
    canvas.SetMatrix(c.AbsoluteMatrix());
    c.OnPaint(&c, &canvas, c.LocalRect());
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
    int state = canvas->SaveCanvas();

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
        canvas->SetMatrix(AbsoluteMatrix());
        PrePaint();
        Paint();
        PostPaint();
        PaintChildren();
    } catch (...) {
        failure = std::current_exception();
    }
    if (reparent) {
        if (parent)
            parent->TvxObject::RemoveObject(this);
        if (oldParent) {
            oldParent->TvxObject::AddObject(this);
            SetIndex(oldIndex);
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
    if (!failure) {
        canvas->RestoreCanvas(state);
        return;
    }
    try {
        canvas->RestoreCanvas(state);
    } catch (...) {
        // The canvas is broken already; the first error tells why.
    }
    std::rethrow_exception(failure);
}

}
