// SPDX-License-Identifier: GPL-3.0-or-later
// Object state and invalidation: size, place, visibility, opacity, the cached matrices
// and update rectangle, repaint requests and the child list.

#include "scene/visual/TvxVisualObject.h"

#include "scene/core/CursorIdentifiers.h"
#include "scene/core/ISceneHost.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/render/TvxBitmap.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxVisualObject, TvxObject)
{
    c.Enum("IsMouseOver", &TvxVisualObject::IsMouseOver);
    c.Enum("IsDragOver", &TvxVisualObject::IsDragOver);
    c.Enum("IsFocused", &TvxVisualObject::IsFocused);
    c.Enum("IsVisible", &TvxVisualObject::IsVisible);
    c.Enum("Align", &TvxVisualObject::Align, &TvxVisualObject::SetAlign).Default(TvxAlign::vaNone);
    c.Integer("Cursor", &TvxVisualObject::Cursor, &TvxVisualObject::SetCursor).Default(0).Identifiers(CursorIdentifiers());
    c.Enum("DragMode", &TvxVisualObject::DragMode, &TvxVisualObject::SetDragMode).Default(TvxDragMode::dmManual);
    c.Enum("DragDisableHighlight", &TvxVisualObject::DragDisableHighlight, &TvxVisualObject::SetDragDisableHighlight).Default(false);
    c.Enum("Enabled", &TvxVisualObject::Enabled, &TvxVisualObject::SetEnabled).Default(true);
    c.Object("Position", [](const TvxVisualObject& o) { return &o.Position(); });
    c.Float("RotateAngle", &TvxVisualObject::RotateAngle, &TvxVisualObject::SetRotateAngle);
    c.Object("RotateCenter", [](const TvxVisualObject& o) { return &o.RotateCenter(); });
    c.Enum("Locked", &TvxVisualObject::Locked, &TvxVisualObject::SetLocked).Default(false);
    c.Float("Width", &TvxVisualObject::Width, &TvxVisualObject::SetWidth);
    c.Float("Height", &TvxVisualObject::Height, &TvxVisualObject::SetHeight);
    c.Object("Margins", [](const TvxVisualObject& o) { return &o.Margins(); });
    c.Object("Padding", [](const TvxVisualObject& o) { return &o.Padding(); });
    c.Float("Opacity", &TvxVisualObject::Opacity, &TvxVisualObject::SetOpacity).StoredWhen([](const TvxVisualObject& o) {
        return o.Opacity() != 1;
    });
    c.Enum("ClipChildren", &TvxVisualObject::ClipChildren, &TvxVisualObject::SetClipChildren).Default(false);
    c.Enum("ClipParent", &TvxVisualObject::ClipParent, &TvxVisualObject::SetClipParent).Default(false);
    c.Enum("HitTest", &TvxVisualObject::HitTest, &TvxVisualObject::SetHitTest).Default(true);
    c.Text("Hint", &TvxVisualObject::Hint, &TvxVisualObject::SetHint);
    c.Enum("ShowHint", &TvxVisualObject::ShowHint, &TvxVisualObject::SetShowHint).Default(false);
    c.Enum("CanClipped", &TvxVisualObject::CanClipped, &TvxVisualObject::SetCanClipped).Default(true);
    c.Reference("PopupMenu", &TvxVisualObject::PopupMenu, &TvxVisualObject::SetPopupMenu);
    c.Object("Scale", [](const TvxVisualObject& o) { return &o.Scale(); });
    c.Enum("Visible", &TvxVisualObject::Visible, &TvxVisualObject::SetVisible).Default(true);
    c.Enum("DesignHide", &TvxVisualObject::DesignHide, &TvxVisualObject::SetDesignHide).Default(false);
    c.Event("OnDragEnter", &TvxVisualObject::OnDragEnter);
    c.Event("OnDragLeave", &TvxVisualObject::OnDragLeave);
    c.Event("OnDragOver", &TvxVisualObject::OnDragOver);
    c.Event("OnDragDrop", &TvxVisualObject::OnDragDrop);
    c.Event("OnDragEnd", &TvxVisualObject::OnDragEnd);
    c.Event("OnKeyDown", &TvxVisualObject::OnKeyDown);
    c.Event("OnKeyUp", &TvxVisualObject::OnKeyUp);
    c.Event("OnClick", &TvxVisualObject::OnClick);
    c.Event("OnDblClick", &TvxVisualObject::OnDblClick);
    c.Event("OnCanFocused", &TvxVisualObject::OnCanFocused);
    c.Event("OnEnterFocus", &TvxVisualObject::OnEnterFocus);
    c.Event("OnKillFocus", &TvxVisualObject::OnKillFocus);
    c.Event("OnMouseDown", &TvxVisualObject::OnMouseDown);
    c.Event("OnMouseMove", &TvxVisualObject::OnMouseMove);
    c.Event("OnMouseUp", &TvxVisualObject::OnMouseUp);
    c.Event("OnMouseWheel", &TvxVisualObject::OnMouseWheel);
    c.Event("OnMouseEnter", &TvxVisualObject::OnMouseEnter);
    c.Event("OnMouseLeave", &TvxVisualObject::OnMouseLeave);
    c.Event("OnBeforePaint", &TvxVisualObject::OnBeforePaint);
    c.Event("OnPaint", &TvxVisualObject::OnPaint);
    c.Event("OnApplyResource", &TvxVisualObject::OnApplyResource);
}

TvxVisualObject::TvxVisualObject(TvxComponent* owner)
    : TvxObject(owner)
{
    SetVisual(this);
    m_position.OnChanged = [this] { ApplyChange(TvxChange::Matrix); };
    m_scale.OnChanged = [this] { ApplyChange(TvxChange::Matrix); };
    m_skew.OnChanged = [this] { ApplyChange(TvxChange::Matrix); };
    m_rotateCenter.OnChanged = [this] { ApplyChange(TvxChange::Matrix); };
    m_margins.OnChanged = [this] { MarginsChanged(); };
    m_padding.OnChanged = [this] { PaddingChanged(); };
}

TvxVisualObject::~TvxVisualObject() = default;

void TvxVisualObject::BeforeDestruction()
{
    if (m_isFocused && Scene() && Scene()->Focused() == this)
        Scene()->SetFocused(nullptr);
    if (Scene() && Scene()->Captured() == this)
        Scene()->SetCaptured(nullptr);
    TvxObject::BeforeDestruction();
}

TvxVisualObject* TvxVisualObject::VisualParent() const
{
    return Parent() ? Parent()->Visual() : nullptr;
}

TvxCanvas* TvxVisualObject::Canvas() const
{
    if (m_tempCanvas)
        return m_tempCanvas;
    return Scene() ? Scene()->Canvas() : nullptr;
}

TvxVisualObject* TvxVisualObject::RootOfScene() const
{
    if (!Scene() || !Scene()->Root())
        return nullptr;
    return Scene()->Root()->Visual();
}

bool TvxVisualObject::HasAncestorHidden() const
{
    for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
        if (!p->m_visible)
            return true;
    }
    return false;
}

// Size and place.

void TvxVisualObject::SetWidth(float value)
{
    SetSide(m_width, value);
}

void TvxVisualObject::SetHeight(float value)
{
    SetSide(m_height, value);
}

void TvxVisualObject::SetSide(float& side, float value)
{
    if (value == side)
        return;
    Repaint();
    side = value;
    RecalcUpdateRect();
    if (IsLoading() || !Scene())
        return;
    UpdateEffects();
    if (m_align != TvxAlign::vaNone)
        RealignParent();
    if (ChildrenCount() > 0)
        Realign();
}

void TvxVisualObject::SetSizeWithoutChange(float width, float height)
{
    m_width = m_lastWidth = width;
    m_height = m_lastHeight = height;
}

void TvxVisualObject::SetRotateAngle(float value)
{
    float r = value - std::trunc(value / 360) * 360;
    if (r < -180)
        r += 360;
    UpdateField(m_rotateAngle, r, TvxChange::Matrix);
}

void TvxVisualObject::SetAlign(TvxAlign value)
{
    if (value == m_align)
        return;
    m_align = value;
    if (TvxVisualObject* parent = VisualParent()) {
        parent->m_needAlign = true;
        if (!IsLoading())
            parent->Realign();
    }
}

void TvxVisualObject::SetBounds(float x, float y, float width, float height)
{
    Repaint();
    bool sizeChanged = width != m_width || height != m_height;
    m_width = width;
    m_height = height;
    if (x != m_position.X() || y != m_position.Y())
        m_position.SetPoint({ x, y });
    if (!IsLoading() && sizeChanged) {
        if (m_align != TvxAlign::vaNone)
            RealignParent();
        if (ChildrenCount() > 0)
            Realign();
    }
    if (!IsLoading()) {
        RecalcUpdateRect();
        Repaint();
    }
}

void TvxVisualObject::SetBoundsRect(const TvxRect& rect)
{
    Repaint();
    float w = rect.Width(), h = rect.Height();
    TvxPoint scale = m_scale.Point();
    if (w < 0) {
        w = -w;
        scale.X = -scale.X;
    }
    if (h < 0) {
        h = -h;
        scale.Y = -scale.Y;
    }
    m_width = w;
    m_height = h;
    // The rotation centre stays where the rectangle puts it.
    TvxPoint centre { m_rotateCenter.X() * w, m_rotateCenter.Y() * h };
    TvxPoint target { std::min(rect.Left, rect.Right) + centre.X, std::min(rect.Top, rect.Bottom) + centre.Y };
    m_scale.SetPoint(scale);
    m_position.SetPoint({ target.X - centre.X * scale.X, target.Y - centre.Y * scale.Y });
    RecalcUpdateRect();
    MatrixChanged();
    Realign();
}

TvxRect TvxVisualObject::ParentedRect() const
{
    return OffsetRect(LocalRect(), m_position.X(), m_position.Y());
}

// State.

void TvxVisualObject::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    if (m_visible && Scene())
        Scene()->AddUpdateRect(UpdateRect());
    m_visible = value;
    RecalcUpdateRect();
    if (!IsLoading() && m_align != TvxAlign::vaNone)
        RealignParent();
    if (m_visible) {
        if (Scene())
            Scene()->AddUpdateRect(UpdateRect());
        StateChanged("IsVisible");
    } else if (m_isFocused && Scene()) {
        Scene()->SetFocused(nullptr);
    }
}

void TvxVisualObject::SetEnabled(bool value)
{
    UpdateField(m_enabled, value, TvxChange::Enablement | TvxChange::Opacity | TvxChange::Repaint);
}

void TvxVisualObject::RecalcEnabled()
{
    m_recalcEnabled = true;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.RecalcEnabled(); });
}

bool TvxVisualObject::AbsoluteEnabled()
{
    if (!m_recalcEnabled)
        return m_absoluteEnabled;
    TvxVisualObject* parent = VisualParent();
    m_absoluteEnabled = parent && !parent->AbsoluteEnabled() ? false : m_enabled;
    m_recalcEnabled = false;
    if (!m_absoluteEnabled && m_isFocused && Scene())
        Scene()->SetFocused(nullptr);
    return m_absoluteEnabled;
}

void TvxVisualObject::Lock()
{
    m_locked = true;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.Lock(); });
}

void TvxVisualObject::SetOpacity(float value)
{
    UpdateField(m_opacity, std::clamp(value, 0.0f, 1.0f), TvxChange::Opacity | TvxChange::Repaint);
}

void TvxVisualObject::RecalcOpacity()
{
    m_recalcOpacity = true;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.RecalcOpacity(); });
}

float TvxVisualObject::AbsoluteOpacity()
{
    if (!m_recalcOpacity)
        return m_absoluteOpacity;
    TvxVisualObject* parent = VisualParent();
    m_absoluteOpacity = parent ? parent->AbsoluteOpacity() * m_opacity : m_opacity;
    if (!AbsoluteEnabled()) {
        TvxVisualObject* root = RootOfScene();
        // The scene's root and its direct children are never dimmed.
        if (this != root && (!root || VisualParent() != root))
            m_absoluteOpacity *= 0.8f;
    }
    m_recalcOpacity = false;
    return m_absoluteOpacity;
}

void TvxVisualObject::SetClipChildren(bool value)
{
    UpdateField(m_clipChildren, value, TvxChange::UpdateArea | TvxChange::Repaint);
}

void TvxVisualObject::SetClipParent(bool value)
{
    UpdateField(m_clipParent, value, TvxChange::RepaintParent);
}

void TvxVisualObject::ApplyChange(TvxChange follows)
{
    if (follows & TvxChange::Matrix)
        MatrixChanged();
    if (follows & TvxChange::Enablement)
        RecalcEnabled();
    if (follows & TvxChange::Opacity)
        RecalcOpacity();
    if (follows & TvxChange::UpdateArea)
        RecalcUpdateRect();
    if (follows & TvxChange::EffectsStale)
        UpdateEffects();
    if (follows & TvxChange::Realign)
        Realign();
    if (follows & TvxChange::RepaintParent) {
        if (TvxVisualObject* parent = VisualParent())
            parent->Repaint();
    }
    if (follows & TvxChange::Repaint)
        Repaint();
}

// Derived geometry.

void TvxVisualObject::MatrixChanged()
{
    ISceneHost* scene = Scene();
    if (scene && !scene->DisableUpdate() && !m_inPaintTo && m_updating == 0)
        Repaint();
    TvxMatrix m = TvxMatrix::Scaling(m_scale.X(), m_scale.Y());
    m.m31 = m_position.X();
    m.m32 = m_position.Y();
    if (m_rotateAngle != 0) {
        TvxPoint c { m_rotateCenter.X() * m_width, m_rotateCenter.Y() * m_height };
        m = TvxMatrix::Translation(-c.X, -c.Y) * TvxMatrix::Rotation(m_rotateAngle) * TvxMatrix::Translation(c.X, c.Y) * m;
    }
    m_localMatrix = m;
    RecalcAbsoluteMatrix();
    RecalcUpdateRect();
    UpdateEffects();
    Repaint();
}

void TvxVisualObject::RecalcAbsoluteMatrix()
{
    m_recalcAbsolute = true;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.RecalcAbsoluteMatrix(); });
}

const TvxMatrix& TvxVisualObject::AbsoluteMatrix()
{
    if (!m_recalcAbsolute)
        return m_absoluteMatrix;
    TvxVisualObject* parent = VisualParent();
    if (parent)
        m_absoluteMatrix = m_localMatrix * parent->ChildrenMatrix() * parent->AbsoluteMatrix();
    else
        m_absoluteMatrix = m_paintToBase ? m_localMatrix * *m_paintToBase : m_localMatrix;
    m_recalcAbsolute = false;
    ISceneHost* scene = Scene();
    if (scene && !scene->DisableUpdate() && !m_inPaintTo && m_updating == 0)
        Repaint();
    return m_absoluteMatrix;
}

TvxPoint TvxVisualObject::AbsoluteScale()
{
    TvxPoint scale = m_scale.Point();
    for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
        scale.X *= p->m_scale.X();
        scale.Y *= p->m_scale.Y();
    }
    return scale;
}

float TvxVisualObject::AbsoluteWidth()
{
    TvxPoint v = AbsoluteMatrix().MapVector({ m_width, m_height });
    return v.X;
}

float TvxVisualObject::AbsoluteHeight()
{
    TvxPoint v = AbsoluteMatrix().MapVector({ m_width, m_height });
    return v.Y;
}

TvxRect TvxVisualObject::AbsoluteRect()
{
    return MapRect(AbsoluteMatrix(), { 0, 0, m_width, m_height });
}

void TvxVisualObject::RecalcUpdateRect()
{
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.RecalcUpdateRect(); });
    MarkOwnUpdateRectStale();
}

void TvxVisualObject::MarkOwnUpdateRectStale()
{
    m_recalcUpdateRect = true;
    // A parent that does not clip includes this object's area in its own.
    for (TvxVisualObject* p = VisualParent(); p && !p->m_clipChildren; p = p->VisualParent())
        p->m_recalcUpdateRect = true;
}

TvxRect TvxVisualObject::UpdateRect()
{
    if (!m_recalcUpdateRect)
        return m_updateRect;
    ++m_updating;
    TvxRect r = AbsoluteRect();
    ISceneHost* scene = Scene();
    if (!(scene && scene->DisableUpdate()) && !IsLoading()) {
        // The area the clipping ancestors leave.
        TvxRect clip;
        bool clipped = false;
        for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
            if (!p->m_clipChildren)
                continue;
            clip = clipped ? IntersectRect(clip, p->UpdateRect()) : p->UpdateRect();
            clipped = true;
            if (IsRectEmpty(clip))
                break;
        }
        if (clipped) {
            r = IntersectRect(r, clip);
            if (IsRectEmpty(r))
                r = {};
        }
        if (!IsRectEmpty(r)) {
            if (m_canFocused && m_isFocused)
                r = InflateRect(r, 5, 5);
            if (HasEffects() && !m_clipChildren)
                r = UnionRect(r, MapRect(AbsoluteMatrix(), EffectRect()));
        }
        // The children count even when the object's own area is empty (a container of
        // no size of its own still shows them).
        if (!m_clipChildren && !(clipped && IsRectEmpty(clip))) {
            for (TvxObject* child : Children()) {
                TvxVisualObject* visual = child->Visual();
                if (!visual || !visual->m_visible)
                    continue;
                TvxRect childRect = visual->UpdateRect();
                if (childRect.Width() != 0 && childRect.Height() != 0)
                    r = IsRectEmpty(r) ? childRect : UnionRect(r, childRect);
            }
        }
    }
    m_updateRect = r;
    m_recalcUpdateRect = false;
    --m_updating;
    return m_updateRect;
}

// Repaint and layout.

void TvxVisualObject::Repaint()
{
    ISceneHost* scene = Scene();
    if (!m_visible || !scene || scene->DisableUpdate() || m_updating > 0 || HasAncestorHidden())
        return;
    // What an effect draws in place of the object is the only picture of it.
    if (HasEffects() && EffectReplacesObject())
        m_updateEffects = true;
    scene->AddUpdateRect(UpdateRect());
}

void TvxVisualObject::BeginUpdate()
{
    ++m_updating;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.BeginUpdate(); });
}

void TvxVisualObject::EndUpdate()
{
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.EndUpdate(); });
    if (m_updating > 0)
        --m_updating;
    if (m_updating == 0)
        Realign();
}

// Tree.

void TvxVisualObject::AddObject(TvxObject* object)
{
    if (!object || object->Parent() == this)
        return;
    TvxObject::AddObject(object);
    if (object->Parent() != this)
        return;
    if (object->AsEffect()) {
        RecalcHasEffects();
        EffectChanged();
    } else if (HasEffects()) {
        // The effect images show the new child too.
        UpdateEffects();
        Repaint();
    }
    TvxVisualObject* visual = object->Visual();
    if (!visual)
        return;
    m_tabList.push_back(visual);
    // Inside this object's BeginUpdate, the child is inside it too.
    visual->ShiftUpdating(m_updating);
    visual->RecalcAbsoluteMatrix();
    visual->RecalcOpacity();
    visual->RecalcEnabled();
    visual->RecalcUpdateRect();
    if (visual->m_align != TvxAlign::vaNone) {
        m_needAlign = true;
        if (!IsLoading())
            Realign();
    }
    visual->Repaint();
}

void TvxVisualObject::RemoveObject(TvxObject* object)
{
    TvxVisualObject* visual = object ? object->Visual() : nullptr;
    const bool isChild = object && object->Parent() == this;
    if (visual && isChild) {
        visual->Repaint();
        // Searched from the end, where the newest children are.
        if (auto found = std::find(m_tabList.rbegin(), m_tabList.rend(), visual); found != m_tabList.rend())
            m_tabList.erase(std::next(found).base());
    }
    const bool wasEffect = isChild && object->AsEffect();
    if (wasEffect)
        Repaint();
    ISceneHost* scene = Scene();
    TvxObject::RemoveObject(object);
    // The scene drops what it still holds inside the object (the hovered object).
    if (isChild && scene)
        scene->Notification(*object, ComponentOperation::Remove);
    if (wasEffect) {
        RecalcHasEffects();
        RecalcUpdateRect();
    }
    if (!visual)
        return;
    visual->RecalcAbsoluteMatrix();
    visual->RecalcOpacity();
    visual->RecalcEnabled();
    visual->RecalcUpdateRect();
    // The other children keep their areas; only this object's and the
    // ancestors' that include it change. Walking every child here made
    // emptying a list of n rows cost n².
    MarkOwnUpdateRectStale();
    if (!isChild)
        return;
    // Outside this object, its BeginUpdate no longer holds the child.
    visual->ShiftUpdating(-m_updating);
    if (visual->m_align != TvxAlign::vaNone && !IsLoading())
        Realign();
}

void TvxVisualObject::ShiftUpdating(int delta)
{
    m_updating = std::max(0, m_updating + delta);
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.ShiftUpdating(delta); });
}

void TvxVisualObject::ChildrenReordered()
{
    if (IsLoading())
        return;
    Realign();
    Repaint();
}

void TvxVisualObject::DeleteChildren()
{
    if (ChildrenCount() > 0 && !HasState(ComponentState::Destroying))
        Repaint();
    m_tabList.clear();
    TvxObject::DeleteChildren();
    RecalcUpdateRect();
}

void TvxVisualObject::SetScene(ISceneHost* scene)
{
    ISceneHost* old = Scene();
    // Taken out of the tree only to be painted elsewhere, it keeps the focus and the mouse.
    if (old && old != scene && !m_inPaintTo) {
        if (m_isFocused && old->Focused() == this)
            old->SetFocused(nullptr);
        if (old->Captured() == this)
            old->SetCaptured(nullptr);
    }
    TvxObject::SetScene(scene);
    if (old != scene)
        m_recalcOpacity = true;
}

void TvxVisualObject::Loaded()
{
    TvxObject::Loaded();
    m_lastWidth = m_width;
    m_lastHeight = m_height;
    MatrixChanged();
    if (ChildrenCount() > 0)
        Realign();
    // Children that named a place in the tab order move there.
    std::vector<TvxVisualObject*> ordered = m_tabList;
    for (TvxVisualObject* child : ordered) {
        int order = child->m_tabOrder;
        if (order < 0 || order >= static_cast<int>(m_tabList.size()))
            continue;
        std::erase(m_tabList, child);
        m_tabList.insert(m_tabList.begin() + order, child);
    }
}

}
