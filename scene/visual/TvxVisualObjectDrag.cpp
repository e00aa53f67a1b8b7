// SPDX-License-Identifier: GPL-3.0-or-later
// Drag and drop between objects: starting a drag, the notifications of the objects a
// drag passes over, and the outline that shows where a drop would land.

#include "scene/visual/TvxVisualObject.h"

#include "scene/core/ISceneHost.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

namespace {

// The largest drag image, either way.
constexpr float maximumDragImageSide = 512;
constexpr TvxColor dragHighlightColor = 0xFF3399FF;
constexpr float dragHighlightThickness = 2;

}

void TvxVisualObject::SetDragDisableHighlight(bool value)
{
    UpdateField(m_dragDisableHighlight, value, m_isDragOver ? TvxChange::Repaint : TvxChange::None);
}

void TvxVisualObject::BeginAutoDrag()
{
    // The press that starts a drag ends in a drop, never in a click.
    m_pressed = false;
    m_doubleClick = false;
    if (Scene())
        Scene()->BeginPlatformDrag(this);
}

std::unique_ptr<TvxBitmap> TvxVisualObject::MakeDragImage()
{
    if (!Scene() || m_width <= 0 || m_height <= 0)
        return nullptr;
    float shrink = std::max({ 1.0f, m_width / maximumDragImageSide, m_height / maximumDragImageSide });
    int width = std::clamp(static_cast<int>(std::ceil(m_width / shrink)), 1, static_cast<int>(maximumDragImageSide));
    int height = std::clamp(static_cast<int>(std::ceil(m_height / shrink)), 1, static_cast<int>(maximumDragImageSide));
    auto image = std::make_unique<TvxBitmap>(width, height);
    image->Clear(0);
    std::unique_ptr<TvxCanvas> canvas = TvxCanvas::CreateForBitmap(*image);
    PaintTo(canvas.get(), { 0, 0, float(width), float(height) });
    return image;
}

void TvxVisualObject::SetDragOver(bool value)
{
    if (value == m_isDragOver)
        return;
    m_isDragOver = value;
    StateChanged("IsDragOver");
    if (!m_dragDisableHighlight)
        Repaint();
}

void TvxVisualObject::DragEnter(const TvxDragObject& data, TvxPoint point)
{
    SetDragOver(true);
    OnDragEnter(this, data, point);
}

void TvxVisualObject::DragOver(const TvxDragObject& data, TvxPoint point, bool& accept)
{
    OnDragOver(this, data, point, accept);
}

void TvxVisualObject::DragDrop(const TvxDragObject& data, TvxPoint point)
{
    SetDragOver(false);
    OnDragDrop(this, data, point);
}

void TvxVisualObject::DragLeave()
{
    SetDragOver(false);
    OnDragLeave(this);
}

void TvxVisualObject::DragEnd()
{
    OnDragEnd(this);
}

void TvxVisualObject::PaintDragHighlight(TvxCanvas& canvas)
{
    if (!m_isDragOver || m_dragDisableHighlight || m_inPaintTo)
        return;
    TvxCanvasStateGuard state(canvas);
    canvas.SetMatrix(AbsoluteMatrix());
    canvas.Stroke().SetStyle(TvxBrushStyle::vgBrushSolid);
    canvas.Stroke().SetSolidColor(dragHighlightColor);
    canvas.SetStrokeThickness(dragHighlightThickness);
    float inset = dragHighlightThickness / 2;
    canvas.DrawRect({ inset, inset, m_width - inset, m_height - inset }, 0, 0, kAllCorners, 1);
}

}
