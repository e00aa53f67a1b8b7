// SPDX-License-Identifier: GPL-3.0-or-later
// Mouse input: the object under the pointer, hover and hints, presses routed to the
// objects or the capture, and the window dragged or resized by the mouse.

#include "scene/host/TvxCustomScene.h"

#include "platform/Message.h"

#include <cmath>
#include <utility>

namespace nimbrell {

TvxVisualObject* TvxCustomScene::ObjectAt(TvxPoint point) const
{
    for (auto it = m_roots.rbegin(); it != m_roots.rend(); ++it) {
        TvxVisualObject* root = (*it)->Visual();
        if (!root || !root->Visible())
            continue;
        if (TvxVisualObject* target = root->ObjectByPoint(point.X, point.Y))
            return target;
    }
    return nullptr;
}

void TvxCustomScene::SetHovered(TvxVisualObject* object)
{
    if (object == m_hovered)
        return;
    if (TvxVisualObject* old = std::exchange(m_hovered, nullptr))
        old->MouseLeave();
    m_hovered = object;
    if (object)
        object->DoMouseEnter();
}

void TvxCustomScene::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    m_mousePos = { x, y };
    m_downPos = m_mousePos;
    CancelHint();
    TvxVisualObject* target = ObjectAt(m_mousePos);
    if (!target) {
        BeginDrag();
        return;
    }
    if (target->IsResizeGrip()) {
        BeginResize();
        return;
    }
    // Read first: the press may free the target.
    const bool startsDrag = button == TvxMouseButton::mbLeft && !(shift & kDoubleClick) && target->DragMode() == TvxDragMode::dmAutomatic;
    TvxPoint local = target->AbsoluteToLocal(m_mousePos);
    target->MouseDown(button, shift, local.X, local.Y);
    if (startsDrag && ObjectAt(m_mousePos) == target)
        target->BeginAutoDrag();
}

void TvxCustomScene::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxPoint point { x, y };
    if (m_dragging) {
        TvxPoint origin = WindowOrigin();
        MoveWindow(static_cast<int>(std::nearbyint(x - m_downPos.X + origin.X)), static_cast<int>(std::nearbyint(y - m_downPos.Y + origin.Y)));
        return;
    }
    if (m_resizing) {
        m_resizeSize.X += x - m_mousePos.X;
        m_resizeSize.Y += y - m_mousePos.Y;
        m_mousePos = point;
        SetWindowCursor(platform::crSizeNWSE);
        ResizeWindow(static_cast<int>(m_resizeSize.X), static_cast<int>(m_resizeSize.Y));
        return;
    }
    m_mousePos = point;
    if (m_objectDrag) {
        MoveObjectDrag();
        return;
    }
    if (m_captured) {
        TvxPoint local = m_captured->AbsoluteToLocal(point);
        m_captured->MouseMove(shift, local.X, local.Y);
        return;
    }
    int cursor = 0;
    if (TvxVisualObject* target = ObjectAt(point)) {
        cursor = target->IsResizeGrip() ? platform::crSizeNWSE : target->Cursor();
        SetWindowHint(target->ShowHint() ? target->Hint() : std::string());
        SetHovered(target);
        TvxPoint local = target->AbsoluteToLocal(point);
        target->MouseMove(shift, local.X, local.Y);
    } else {
        SetWindowHint({});
        SetHovered(nullptr);
    }
    SetWindowCursor(cursor);
    m_downPos = m_mousePos;
}

void TvxCustomScene::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    if (!m_dragging && !m_resizing)
        m_mousePos = { x, y };
    if (m_objectDrag) {
        MoveObjectDrag();
        EndObjectDrag(true);
        return;
    }
    if (m_dragging || m_resizing) {
        m_dragging = false;
        m_resizing = false;
        CapturePlatformMouse(m_captured != nullptr);
    }
    if (m_captured) {
        TvxPoint local = m_captured->AbsoluteToLocal(m_mousePos);
        m_captured->MouseUp(button, shift, local.X, local.Y);
        return;
    }
    if (TvxVisualObject* target = ObjectAt(m_mousePos)) {
        TvxPoint local = target->AbsoluteToLocal(m_mousePos);
        target->MouseUp(button, shift, local.X, local.Y);
    }
}

void TvxCustomScene::MouseWheel(TvxShiftState shift, int delta)
{
    bool handled = false;
    if (m_captured) {
        m_captured->MouseWheel(shift, delta, handled);
        return;
    }
    for (TvxVisualObject* object = ObjectAt(m_mousePos); object && !handled; object = object->VisualParent())
        object->MouseWheel(shift, delta, handled);
}

void TvxCustomScene::MouseLeave()
{
    SetWindowHint({});
    SetHovered(nullptr);
}

void TvxCustomScene::SetWindowHint(const std::string& hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    WindowHintChanged();
}

void TvxCustomScene::BeginDrag()
{
    if (!CanDragWindow())
        return;
    m_dragging = true;
    m_downPos = m_mousePos;
    CapturePlatformMouse(true);
}

void TvxCustomScene::BeginResize()
{
    m_resizing = true;
    m_downPos = m_mousePos;
    m_resizeSize = { float(Width()), float(Height()) };
    CapturePlatformMouse(true);
}

}
