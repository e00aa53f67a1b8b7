// SPDX-License-Identifier: GPL-3.0-or-later
// Input: coordinates, hit testing, mouse, keyboard and focus notifications.

#include "scene/visual/TvxVisualObject.h"

#include "scene/core/ISceneHost.h"
#include "scene/core/TvxPopupMenu.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nimbrell {

namespace {

bool globalDisableFocusEffect = false;

// The states whose changes reach effects as well as animations.
constexpr std::array<std::string_view, 4> kStatesWithEffects { "IsMouseOver", "IsFocused", "IsPressed", "IsOpen" };

}

bool TvxVisualObject::GlobalDisableFocusEffect()
{
    return globalDisableFocusEffect;
}

void TvxVisualObject::SetGlobalDisableFocusEffect(bool value)
{
    globalDisableFocusEffect = value;
}

bool TvxVisualObject::FocusEffectEnabled() const
{
    return !m_disableFocusEffect && !globalDisableFocusEffect;
}

void TvxVisualObject::StateChanged(std::string_view state)
{
    StartTriggerAnimation(this, state);
    if (std::find(kStatesWithEffects.begin(), kStatesWithEffects.end(), state) != kStatesWithEffects.end())
        ApplyTriggerEffect(this, state);
}

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
    StateChanged("IsMouseOver");
    OnMouseEnter(this);
}

void TvxVisualObject::MouseLeave()
{
    m_isMouseOver = false;
    StateChanged("IsMouseOver");
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
    if (FocusEffectEnabled())
        StateChanged("IsFocused");
}

void TvxVisualObject::DoKillFocus()
{
    Repaint();
    m_isFocused = false;
    RecalcUpdateRect();
    Repaint();
    OnKillFocus(this);
    if (FocusEffectEnabled())
        StateChanged("IsFocused");
}

}
