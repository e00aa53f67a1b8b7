#include "scene/core/TvxVisualObject.h"

#include "scene/core/CursorIdentifiers.h"
#include "scene/core/ISceneHost.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace nimbrell {

namespace {

// vgBrushVisual fills: the object is painted into the rectangle at the fill's opacity.
void PaintVisualBrush(TvxCanvas& canvas, TvxObject& object, const TvxRect& rect, float opacity)
{
    TvxVisualObject* visual = object.Visual();
    if (!visual)
        return;
    float saved = visual->Opacity();
    visual->SetOpacity(opacity);
    // The rectangle is in the space of the shape being filled: the canvas's current one.
    TvxMatrix base = canvas.Matrix();
    visual->PaintTo(&canvas, rect, nullptr, &base);
    visual->SetOpacity(saved);
}

bool IsCorner(TvxAlign a)
{
    return a == TvxAlign::vaTopLeft || a == TvxAlign::vaTopRight || a == TvxAlign::vaBottomLeft || a == TvxAlign::vaBottomRight;
}

// The order in which layout takes the alignment groups.
constexpr TvxAlign kAlignOrder[] = { TvxAlign::vaMostTop, TvxAlign::vaMostBottom, TvxAlign::vaMostLeft, TvxAlign::vaMostRight,
    TvxAlign::vaTop, TvxAlign::vaBottom, TvxAlign::vaLeft, TvxAlign::vaRight, TvxAlign::vaClient, TvxAlign::vaHorizontal,
    TvxAlign::vaVertical, TvxAlign::vaContents, TvxAlign::vaCenter, TvxAlign::vaHorzCenter, TvxAlign::vaVertCenter,
    TvxAlign::vaScale, TvxAlign::vaFit, TvxAlign::vaFitLeft, TvxAlign::vaFitRight, TvxAlign::vaTopRight,
    TvxAlign::vaBottomLeft, TvxAlign::vaBottomRight };

// Whether child goes before listed in its group's list.
bool GoesBefore(TvxAlign a, TvxVisualObject& child, TvxVisualObject& listed)
{
    switch (a) {
    case TvxAlign::vaTop:
    case TvxAlign::vaMostTop:
        return child.Position().Y() < listed.Position().Y();
    case TvxAlign::vaLeft:
    case TvxAlign::vaMostLeft:
        return child.Position().X() < listed.Position().X();
    case TvxAlign::vaRight:
    case TvxAlign::vaMostRight:
        return !(listed.Position().X() + listed.Width() > child.Position().X() + child.Width());
    case TvxAlign::vaBottom:
    case TvxAlign::vaMostBottom:
        return !(listed.Position().Y() + listed.Height() > child.Position().Y() + child.Height());
    default:
        return false;
    }
}

}

NIMBRELL_DEFINE_CLASS(TvxVisualObject, TvxObject)
{
    c.Enum("IsMouseOver", &TvxVisualObject::IsMouseOver);
    c.Enum("IsFocused", &TvxVisualObject::IsFocused);
    c.Enum("IsVisible", &TvxVisualObject::IsVisible);
    c.Enum("Align", &TvxVisualObject::Align, &TvxVisualObject::SetAlign).Default(TvxAlign::vaNone);
    c.Integer("Cursor", &TvxVisualObject::Cursor, &TvxVisualObject::SetCursor).Default(0).Identifiers(CursorIdentifiers());
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
    TvxCanvas::SetVisualPainter(&PaintVisualBrush);
    m_position.OnChanged = [this] { MatrixChanged(); };
    m_scale.OnChanged = [this] { MatrixChanged(); };
    m_skew.OnChanged = [this] { MatrixChanged(); };
    m_rotateCenter.OnChanged = [this] { MatrixChanged(); };
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
    if (value == m_width)
        return;
    Repaint();
    m_width = value;
    RecalcUpdateRect();
    if (IsLoading() || !Scene())
        return;
    UpdateEffects();
    if (m_align != TvxAlign::vaNone)
        RealignParent();
    if (ChildrenCount() > 0)
        Realign();
}

void TvxVisualObject::SetHeight(float value)
{
    if (value == m_height)
        return;
    Repaint();
    m_height = value;
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
    if (r == m_rotateAngle)
        return;
    m_rotateAngle = r;
    MatrixChanged();
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
        StartTriggerAnimation(this, "IsVisible");
    } else if (m_isFocused && Scene()) {
        Scene()->SetFocused(nullptr);
    }
}

void TvxVisualObject::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    RecalcEnabled();
    RecalcOpacity();
    Repaint();
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
    value = std::clamp(value, 0.0f, 1.0f);
    if (value == m_opacity)
        return;
    m_opacity = value;
    RecalcOpacity();
    Repaint();
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
    if (value == m_clipChildren)
        return;
    m_clipChildren = value;
    RecalcUpdateRect();
    Repaint();
}

void TvxVisualObject::SetClipParent(bool value)
{
    if (value == m_clipParent)
        return;
    m_clipParent = value;
    if (TvxVisualObject* parent = VisualParent())
        parent->Repaint();
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
    m_recalcUpdateRect = true;
    ForEachVisualChild([&](TvxVisualObject& visual) { visual.RecalcUpdateRect(); });
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
        for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
            if (!p->m_clipChildren)
                continue;
            r = IntersectRect(r, p->UpdateRect());
            if (IsRectEmpty(r)) {
                r = {};
                break;
            }
        }
        if (!IsRectEmpty(r)) {
            if (m_canFocused && m_isFocused)
                r = InflateRect(r, 5, 5);
            if (HasEffects() && !m_clipChildren)
                r = UnionRect(r, MapRect(AbsoluteMatrix(), EffectRect()));
            if (!m_clipChildren) {
                for (TvxObject* child : Children()) {
                    TvxVisualObject* visual = child->Visual();
                    if (!visual || !visual->m_visible)
                        continue;
                    TvxRect childRect = visual->UpdateRect();
                    if (childRect.Width() != 0 && childRect.Height() != 0)
                        r = UnionRect(r, childRect);
                }
            }
        }
    }
    m_updateRect = r;
    m_recalcUpdateRect = false;
    --m_updating;
    return m_updateRect;
}

// Coordinates.

TvxPoint TvxVisualObject::AbsoluteToLocal(TvxPoint point)
{
    return AbsoluteMatrix().Inverse().MapPoint(point);
}

TvxPoint TvxVisualObject::LocalToAbsolute(TvxPoint point)
{
    return AbsoluteMatrix().MapPoint(point);
}

TvxPoint TvxVisualObject::AbsoluteToLocalVector(TvxPoint vector)
{
    return AbsoluteMatrix().Inverse().MapVector(vector);
}

TvxPoint TvxVisualObject::LocalToAbsoluteVector(TvxPoint vector)
{
    return AbsoluteMatrix().MapVector(vector);
}

bool TvxVisualObject::PointInObject(float x, float y)
{
    TvxPoint p = AbsoluteToLocal({ x, y });
    return p.X > 0 && p.X < m_width && p.Y > 0 && p.Y < m_height;
}

TvxVisualObject* TvxVisualObject::ObjectByPoint(float x, float y)
{
    if (!m_visible)
        return nullptr;
    if (IsStyledControl() && !AbsoluteEnabled())
        return nullptr;
    if (m_clipChildren && !PointInObject(x, y))
        return nullptr;
    for (int i = ChildrenCount() - 1; i >= 0; --i) {
        TvxVisualObject* visual = Child(i)->Visual();
        if (!visual || !visual->m_visible)
            continue;
        if (TvxVisualObject* hit = visual->ObjectByPoint(x, y))
            return hit;
    }
    if (m_hitTest && PointInObject(x, y))
        return this;
    return nullptr;
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

void TvxVisualObject::RealignParent()
{
    if (TvxVisualObject* parent = VisualParent())
        parent->Realign();
}

void TvxVisualObject::MarginsChanged()
{
    Realign();
}

void TvxVisualObject::PaddingChanged()
{
    RealignParent();
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

void TvxVisualObject::Realign()
{
    if (HasState(ComponentState::Destroying))
        return;
    if (std::fabs(m_width) < 2 || std::fabs(m_height) < 2)
        return;
    if (m_disableDefaultAlign || m_disableAlign || m_updating > 0)
        return;
    if (IsLoading()) {
        m_lastWidth = m_width;
        m_lastHeight = m_height;
        return;
    }
    if ((m_width != m_lastWidth || m_height != m_lastHeight) && HasEffects())
        UpdateEffects();
    if (!m_needAlign || ChildrenCount() == 0)
        return;
    m_disableAlign = true;
    try {
        TvxRect remaining { m_margins.Left(), m_margins.Top(), m_width - m_margins.Right(), m_height - m_margins.Bottom() };
        std::vector<TvxVisualObject*> group;
        for (TvxAlign align : kAlignOrder) {
            group.clear();
            for (TvxObject* child : Children()) {
                TvxVisualObject* visual = child->Visual();
                if (!visual || !visual->m_visible || visual->m_align != align)
                    continue;
                auto at = std::find_if(group.begin(), group.end(), [&](TvxVisualObject* listed) { return GoesBefore(align, *visual, *listed); });
                group.insert(at, visual);
            }
            for (TvxVisualObject* child : group)
                PlaceChild(*child, remaining);
        }
    } catch (...) {
        m_disableAlign = false;
        throw;
    }
    m_disableAlign = false;
    m_lastWidth = m_width;
    m_lastHeight = m_height;
    Repaint();
}

void TvxVisualObject::PlaceChild(TvxVisualObject& c, TvxRect& r)
{
    using A = TvxAlign;
    const A a = c.m_align;
    const TvxRect p = c.m_padding.Rect();
    const float ow = c.m_width + p.Left + p.Right;
    const float oh = c.m_height + p.Top + p.Bottom;
    float x = r.Left, y = r.Top, w = r.Right - r.Left, h = r.Bottom - r.Top;
    if (w < 0 || IsCorner(a) || a == A::vaLeft || a == A::vaRight || a == A::vaMostLeft || a == A::vaMostRight || a == A::vaVertical)
        w = ow;
    if (h < 0 || IsCorner(a) || a == A::vaTop || a == A::vaBottom || a == A::vaMostTop || a == A::vaMostBottom || a == A::vaHorizontal)
        h = oh;

    auto setSizeAndFinish = [&c](float nx, float ny, float nw, float nh) {
        c.m_position.SetPoint({ nx, ny });
        c.m_width = nw;
        c.m_height = nh;
        c.RecalcUpdateRect();
        c.MatrixChanged();
        c.Realign();
    };

    switch (a) {
    case A::vaTopRight:
        c.m_position.SetX(c.m_position.X() + m_width - m_lastWidth);
        return;
    case A::vaBottomLeft:
        c.m_position.SetY(c.m_position.Y() + m_height - m_lastHeight);
        return;
    case A::vaBottomRight:
        c.m_position.SetPoint({ c.m_position.X() + m_width - m_lastWidth, c.m_position.Y() + m_height - m_lastHeight });
        return;
    case A::vaTop:
    case A::vaMostTop:
        r.Top += h;
        break;
    case A::vaBottom:
    case A::vaMostBottom:
        r.Bottom -= h;
        y = r.Bottom;
        break;
    case A::vaLeft:
    case A::vaMostLeft:
        r.Left += w;
        break;
    case A::vaRight:
    case A::vaMostRight:
        r.Right -= w;
        x = r.Right;
        break;
    case A::vaClient:
        break;
    case A::vaHorizontal:
        h = oh;
        y = c.m_position.Y() - p.Top;
        break;
    case A::vaVertical:
        w = ow;
        x = c.m_position.X() - p.Left;
        break;
    case A::vaCenter:
        x = r.Left + std::trunc((w - ow) / 2);
        y = r.Top + std::trunc((h - oh) / 2);
        w = ow;
        h = oh;
        break;
    case A::vaVertCenter:
        y = r.Top + std::trunc((h - oh) / 2);
        h = oh;
        break;
    case A::vaHorzCenter:
        x = r.Left + std::trunc((w - ow) / 2);
        w = ow;
        break;
    case A::vaContents:
        setSizeAndFinish(p.Left, p.Top, m_width - p.Left - p.Right, m_height - p.Top - p.Bottom);
        return;
    case A::vaScale:
        if (m_lastWidth > 0 && m_lastHeight > 0 && m_width > 0 && m_height > 0) {
            float kx = m_width / m_lastWidth, ky = m_height / m_lastHeight;
            setSizeAndFinish(c.m_position.X() * kx, c.m_position.Y() * ky, c.m_width * kx, c.m_height * ky);
        }
        return;
    case A::vaFit:
    case A::vaFitLeft:
    case A::vaFitRight: {
        TvxRect area { m_margins.Left(), m_margins.Top(), m_width - m_margins.Right(), m_height - m_margins.Bottom() };
        TvxRect box { c.m_position.X() - p.Left, c.m_position.Y() - p.Top, c.m_position.X() + c.m_width + p.Right,
            c.m_position.Y() + c.m_height + p.Bottom };
        float bw = box.Width(), bh = box.Height();
        if (area.Width() * area.Height() != 0) {
            float k = std::max(bw / area.Width(), bh / area.Height());
            if (k >= 1) {
                bw = RoundHalfEven(bw / k);
                bh = RoundHalfEven(bh / k);
            } else if (k > 0) {
                bw = bw / k;
                bh = bh / k;
            }
            box.Left = area.Left + RoundHalfEven((area.Width() - bw) / 2);
            box.Top = area.Top + RoundHalfEven((area.Height() - bh) / 2);
        }
        if (a == A::vaFitLeft)
            box.Left = area.Left;
        else if (a == A::vaFitRight)
            box.Left = area.Right - bw;
        setSizeAndFinish(box.Left + p.Left, box.Top + p.Top, bw - p.Left - p.Right, bh - p.Top - p.Bottom);
        return;
    }
    case A::vaNone:
    case A::vaTopLeft:
        return;
    }

    c.m_position.SetPoint({ x + p.Left, y + p.Top });
    float nw = w - p.Left - p.Right, nh = h - p.Top - p.Bottom;
    if (nw != c.m_width || nh != c.m_height) {
        c.m_width = nw;
        c.m_height = nh;
        c.RecalcUpdateRect();
        c.Realign();
    }
    c.MatrixChanged();
    float aw = c.m_width + p.Left + p.Right, ah = c.m_height + p.Top + p.Bottom;
    if (aw == w && ah == h)
        return;
    // The child kept a size of its own: what remains follows its actual extent.
    switch (a) {
    case A::vaTop:
        r.Top -= h - ah;
        break;
    case A::vaBottom:
        r.Bottom += h - ah;
        break;
    case A::vaLeft:
        r.Left -= w - aw;
        break;
    case A::vaRight:
        r.Right += w - aw;
        break;
    case A::vaClient:
        r.Right += w - aw;
        r.Bottom += h - ah;
        break;
    default:
        break;
    }
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
        UpdateEffects();
    }
    TvxVisualObject* visual = object->Visual();
    if (!visual)
        return;
    m_tabList.push_back(visual);
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
    if (visual && object->Parent() == this) {
        visual->Repaint();
        std::erase(m_tabList, visual);
    }
    const bool wasEffect = object && object->AsEffect() && object->Parent() == this;
    if (wasEffect)
        Repaint();
    TvxObject::RemoveObject(object);
    if (wasEffect) {
        RecalcHasEffects();
        RecalcUpdateRect();
    }
    if (visual) {
        visual->RecalcAbsoluteMatrix();
        visual->RecalcOpacity();
        visual->RecalcEnabled();
        visual->RecalcUpdateRect();
        RecalcUpdateRect();
    }
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
    if (old && old != scene) {
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

// Painting.

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

// Effects.

void TvxVisualObject::RecalcHasEffects()
{
    m_hasEffects = false;
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled()) {
            m_hasEffects = true;
            return;
        }
    }
}

void TvxVisualObject::UpdateEffects()
{
    // Rendering into the effect bitmap moves the object about; that is no change.
    if (m_inPaintTo)
        return;
    m_updateEffects = true;
    for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
        if (p->HasEffects())
            p->m_updateEffects = true;
    }
}

void TvxVisualObject::EffectChanged()
{
    RecalcHasEffects();
    UpdateEffects();
    RecalcUpdateRect();
    Repaint();
}

bool TvxVisualObject::EffectsDrawAfter() const
{
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled() && effect->EffectAfterPaint())
            return true;
    }
    return false;
}

bool TvxVisualObject::EffectReplacesObject() const
{
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled() && effect->EffectDisablesPaint())
            return true;
    }
    return false;
}

TvxRect TvxVisualObject::EffectRect()
{
    TvxRect r = LocalRect();
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled())
            r = UnionRect(r, effect->GetRect(LocalRect()));
    }
    return r;
}

const TvxBitmap* TvxVisualObject::EffectBitmap(TvxObject* effect) const
{
    const IEffectRole* role = effect ? effect->AsEffect() : nullptr;
    for (const EffectImage& image : m_effectImages) {
        if (role && image.effect == role)
            return image.bitmap.get();
    }
    return nullptr;
}

void TvxVisualObject::ApplyEffects(TvxCanvas& canvas)
{
    if (ChildrenCount() == 0 || !Scene() || !HasEffects())
        return;
    const TvxRect local { 0, 0, m_width, m_height };
    const float opacity = AbsoluteOpacity();
    const bool highSpeed = m_rotateAngle == 0;
    int state = canvas.SaveCanvas();
    // An object already being rendered elsewhere cannot render itself again: it shows
    // its cache.
    if (m_updateEffects && !m_inPaintTo) {
        std::vector<EffectImage> old = std::move(m_effectImages);
        m_effectImages.clear();
        const TvxPoint s = AbsoluteScale();
        for (int i = 0; i < ChildrenCount(); ++i) {
            IEffectRole* effect = Child(i)->AsEffect();
            if (!effect || !effect->EffectEnabled())
                continue;
            TvxRect er = effect->GetRect(local);
            er = { er.Left * s.X, er.Top * s.Y, er.Right * s.X, er.Bottom * s.Y };
            const int w = static_cast<int>(er.Width()), h = static_cast<int>(er.Height());
            if (w <= 0 || h <= 0)
                continue;
            // Reuse the effect's previous bitmap, resized only when its size changed.
            auto reused = std::find_if(old.begin(), old.end(), [&](const EffectImage& image) { return image.effect == effect && image.bitmap; });
            std::unique_ptr<TvxBitmap> bitmap = reused != old.end() ? std::move(reused->bitmap) : std::make_unique<TvxBitmap>(w, h);
            bitmap->SetSize(w, h);
            TvxCanvas& target = bitmap->Canvas();
            int targetState = target.SaveCanvas();
            target.BeginScene();
            target.Clear(0);
            target.SetMatrix(TvxMatrix::Identity());
            const TvxPoint off = effect->GetOffset();
            PaintTo(&target, { off.X * s.X, off.Y * s.Y, (off.X + m_width) * s.X, (off.Y + m_height) * s.Y });
            target.EndScene();
            target.RestoreCanvas(targetState);
            effect->ProcessEffect(target, *bitmap, s.X);
            er = { er.Left / s.X, er.Top / s.Y, er.Right / s.X, er.Bottom / s.Y };
            canvas.SetMatrix(AbsoluteMatrix());
            canvas.DrawBitmap(*bitmap, { 0, 0, float(w), float(h) }, er, opacity, highSpeed);
            m_effectImages.push_back({ effect, std::move(bitmap) });
        }
        m_updateEffects = false;
    } else {
        canvas.SetMatrix(AbsoluteMatrix());
        for (TvxObject* child : Children()) {
            IEffectRole* effect = child->AsEffect();
            if (!effect || !effect->EffectEnabled())
                continue;
            for (const EffectImage& image : m_effectImages) {
                if (image.effect != effect)
                    continue;
                const TvxRect source { 0, 0, float(image.bitmap->Width()), float(image.bitmap->Height()) };
                canvas.DrawBitmap(*image.bitmap, source, effect->GetRect(local), opacity, highSpeed);
                break;
            }
        }
    }
    canvas.RestoreCanvas(state);
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

// Input.

void TvxVisualObject::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    ISceneHost* scene = Scene();
    if (m_canFocused && !m_isFocused && scene && scene->Focused() != this)
        SetFocus();
    OnMouseDown(this, button, shift, x, y);
    if (button == TvxMouseButton::mbRight) {
        TvxPoint screen = LocalToAbsolute({ x, y });
        if (scene)
            screen = scene->LocalToScreen(screen);
        ContextMenu(screen);
        return;
    }
    if (m_autoCapture && scene)
        scene->SetCaptured(this);
    if (shift & kDoubleClick) {
        DoDblClick();
        m_doubleClick = true;
    } else if (button == TvxMouseButton::mbLeft) {
        m_pressed = true;
    }
}

void TvxVisualObject::MouseMove(TvxShiftState shift, float x, float y)
{
    OnMouseMove(this, shift, x, y);
}

void TvxVisualObject::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    if (Scene() && Scene()->Captured() == this)
        Scene()->SetCaptured(nullptr);
    OnMouseUp(this, button, shift, x, y);
    bool click = m_pressed && !m_doubleClick && x >= 0 && x <= m_width && y >= 0 && y <= m_height;
    m_pressed = false;
    m_doubleClick = false;
    if (click)
        DoClick();
}

void TvxVisualObject::MouseWheel(TvxShiftState shift, int delta, bool& handled)
{
    if (!OnMouseWheel)
        return;
    OnMouseWheel(this, shift, delta, Scene() ? Scene()->MousePos() : TvxPoint {}, handled);
}

void TvxVisualObject::DoClick()
{
    OnClick(this);
}

void TvxVisualObject::DoDblClick()
{
    OnDblClick(this);
}

void TvxVisualObject::DoMouseEnter()
{
    m_isMouseOver = true;
    StartTriggerAnimation(this, "IsMouseOver");
    ApplyTriggerEffect(this, "IsMouseOver");
    OnMouseEnter(this);
}

void TvxVisualObject::MouseLeave()
{
    m_isMouseOver = false;
    StartTriggerAnimation(this, "IsMouseOver");
    ApplyTriggerEffect(this, "IsMouseOver");
    OnMouseLeave(this);
}

void TvxVisualObject::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    if (key == kContextMenuKey) {
        TvxPoint centre = LocalToAbsolute({ m_width / 2, m_height / 2 });
        ContextMenu(Scene() ? Scene()->LocalToScreen(centre) : centre);
        return;
    }
    OnKeyDown(this, key, keyChar, shift);
}

void TvxVisualObject::KeyUp(int& key, char32_t& keyChar, TvxShiftState shift)
{
    OnKeyUp(this, key, keyChar, shift);
}

void TvxVisualObject::DialogKey(int& key, TvxShiftState shift)
{
    for (int i = 0; i < ChildrenCount() && key != 0; ++i) {
        TvxVisualObject* visual = Child(i)->Visual();
        if (visual && visual->m_visible && visual->m_enabled)
            visual->DialogKey(key, shift);
    }
}

TvxPopupMenu* TvxVisualObject::PopupMenu() const
{
    return m_popupMenu.As<TvxPopupMenu>();
}

void TvxVisualObject::SetPopupMenu(TvxPopupMenu* menu)
{
    m_popupMenu.Set(menu);
}

void TvxVisualObject::ContextMenu(TvxPoint screenPoint)
{
    if (TvxPopupMenu* menu = PopupMenu())
        menu->Popup(static_cast<int>(std::nearbyint(screenPoint.X)), static_cast<int>(std::nearbyint(screenPoint.Y)), this);
}

bool TvxVisualObject::ChildFocused(TvxVisualObject*)
{
    return false;
}

void TvxVisualObject::SetFocus()
{
    if (!m_canFocused)
        return;
    bool allow = true;
    OnCanFocused(this, allow);
    if (!allow)
        return;
    if (Scene())
        Scene()->SetFocused(this);
}

void TvxVisualObject::DoEnterFocus()
{
    for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
        if (p->ChildFocused(this))
            break;
    }
    m_isFocused = true;
    RecalcUpdateRect();
    Repaint();
    OnEnterFocus(this);
    if (!m_disableFocusEffect) {
        StartTriggerAnimation(this, "IsFocused");
        ApplyTriggerEffect(this, "IsFocused");
    }
}

void TvxVisualObject::DoKillFocus()
{
    Repaint();
    m_isFocused = false;
    RecalcUpdateRect();
    Repaint();
    OnKillFocus(this);
    if (!m_disableFocusEffect) {
        StartTriggerAnimation(this, "IsFocused");
        ApplyTriggerEffect(this, "IsFocused");
    }
}

}
