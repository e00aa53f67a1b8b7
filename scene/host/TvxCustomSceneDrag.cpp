// SPDX-License-Identifier: GPL-3.0-or-later
// An object dragged within the scene: the objects it passes over are told, the
// release drops it, and an image of it follows the pointer.

#include "scene/host/TvxCustomSceneDrag.h"

#include "platform/Message.h"

#include <utility>

namespace nimbrell {

namespace {

// The drag image is see-through, so the objects below stay visible.
constexpr float dragImageOpacity = 0.6f;

}

TvxVisualObject* TvxCustomScene::DragTarget() const
{
    return m_objectDrag ? m_objectDrag->over : nullptr;
}

void TvxCustomScene::BeginPlatformDrag(TvxObject* object)
{
    TvxVisualObject* source = object ? object->Visual() : nullptr;
    if (!source || m_destroying)
        return;
    if (m_objectDrag)
        EndObjectDrag(false);
    auto drag = std::make_unique<ObjectDrag>();
    drag->data.Source = source;
    drag->source = source;
    drag->image = source->MakeDragImage();
    if (drag->image && source->Width() > 0 && source->Height() > 0) {
        TvxPoint local = source->AbsoluteToLocal(m_mousePos);
        drag->grip = { local.X * float(drag->image->Width()) / source->Width(), local.Y * float(drag->image->Height()) / source->Height() };
    }
    m_objectDrag = std::move(drag);
    // The drag takes the mouse from whatever the press captured it for.
    m_captured = nullptr;
    CapturePlatformMouse(true);
    MoveObjectDrag();
}

void TvxCustomScene::MoveObjectDrag()
{
    ObjectDrag* drag = m_objectDrag.get();
    TvxVisualObject* target = ObjectAt(m_mousePos);
    if (target != drag->over) {
        drag->accepted = false;
        if (TvxVisualObject* left = std::exchange(drag->over, nullptr))
            left->DragLeave();
        // A handler may have ended the drag or freed the target.
        drag = m_objectDrag.get();
        if (!drag)
            return;
        target = ObjectAt(m_mousePos);
        drag->over = target;
        if (target)
            target->DragEnter(drag->data, target->AbsoluteToLocal(m_mousePos));
        drag = m_objectDrag.get();
        if (!drag)
            return;
    }
    if (TvxVisualObject* over = drag->over) {
        bool accept = false;
        over->DragOver(drag->data, over->AbsoluteToLocal(m_mousePos), accept);
        drag = m_objectDrag.get();
        if (!drag)
            return;
        drag->accepted = accept && drag->over == over;
    }
    SetWindowCursor(drag->accepted ? platform::crDrag : platform::crNoDrop);
    if (drag->image) {
        AddUpdateRect(drag->imageArea);
        float left = m_mousePos.X - drag->grip.X, top = m_mousePos.Y - drag->grip.Y;
        drag->imageArea = { left, top, left + float(drag->image->Width()), top + float(drag->image->Height()) };
        AddUpdateRect(drag->imageArea);
    }
}

void TvxCustomScene::EndObjectDrag(bool drop)
{
    ObjectDrag* drag = m_objectDrag.get();
    if (!drag)
        return;
    AddUpdateRect(drag->imageArea);
    // The drag stays set while the objects are told, so a handler that frees one
    // is noticed; a drop image is not painted again meanwhile.
    drag->image.reset();
    const TvxDragObject data = drag->data;
    if (TvxVisualObject* over = std::exchange(drag->over, nullptr)) {
        if (drop && drag->accepted)
            over->DragDrop(data, over->AbsoluteToLocal(m_mousePos));
        else
            over->DragLeave();
    }
    // The press that started the drag ends here: a control held down by it lets go
    // (never clicking, the drag took its press), then the source hears the drag ended.
    drag = m_objectDrag.get();
    if (drag && drag->source) {
        TvxPoint local = drag->source->AbsoluteToLocal(m_mousePos);
        drag->source->MouseUp(TvxMouseButton::mbLeft, 0, local.X, local.Y);
    }
    drag = m_objectDrag.get();
    if (drag && drag->source) {
        TvxVisualObject* source = std::exchange(drag->source, nullptr);
        source->DragEnd();
    }
    m_objectDrag.reset();
    SetWindowCursor(platform::crDefault);
    CapturePlatformMouse(m_captured != nullptr || m_dragging || m_resizing);
}

void TvxCustomScene::PaintDragImage()
{
    if (!m_objectDrag || !m_objectDrag->image)
        return;
    const TvxBitmap& image = *m_objectDrag->image;
    TvxCanvas& canvas = *m_canvas;
    canvas.SetMatrix(TvxMatrix::Identity());
    canvas.DrawBitmap(image, { 0, 0, float(image.Width()), float(image.Height()) }, m_objectDrag->imageArea, dragImageOpacity, false);
}

}
