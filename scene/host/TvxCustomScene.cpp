// SPDX-License-Identifier: GPL-3.0-or-later
// The scene's roots, the repaint requests they make, the size of its buffer, the
// captured object and the style the roots follow.

#include "scene/host/TvxCustomScene.h"

#include "scene/host/TvxCustomSceneDrag.h"
#include "scene/styles/TvxResources.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

namespace {

bool isInside(const TvxObject* held, const TvxObject* subtree)
{
    for (const TvxObject* object = held; object; object = object->Parent()) {
        if (object == subtree)
            return true;
    }
    return false;
}

}

TvxCustomScene::TvxCustomScene(int width, int height)
    : m_canvas(TvxCanvas::CreateBuffered(width, height))
{
}

TvxCustomScene::~TvxCustomScene()
{
    m_destroying = true;
    m_objectDrag.reset();
    if (m_style)
        m_style->RemoveSceneUpdater(this);
    m_style = nullptr;
    m_hovered = nullptr;
    m_focused = nullptr;
    m_captured = nullptr;
    // The scene owns its roots: free them, last first.
    while (!m_roots.empty()) {
        TvxObject* root = m_roots.back();
        m_roots.pop_back();
        root->SetScene(nullptr);
        root->Free();
    }
}

void TvxCustomScene::SetSize(int width, int height)
{
    int oldWidth = Width();
    int oldHeight = Height();
    m_canvas->ResizeBuffer(std::max(width, 1), std::max(height, 1));
    // A new buffer is transparent throughout.
    if (Width() != oldWidth || Height() != oldHeight)
        m_inked = {};
    RealignRoot();
}

void TvxCustomScene::SetDeviceScale(float scale)
{
    if (scale == DeviceScale())
        return;
    m_canvas->SetDeviceScale(scale);
    m_inked = {};
    AddUpdateRect({ 0, 0, 65535, 65535 });
}

void TvxCustomScene::RealignRoot()
{
    TvxObject* root = Root();
    TvxVisualObject* visual = root ? root->Visual() : nullptr;
    if (!visual)
        return;
    float w = float(Width()), h = float(Height());
    float sx = visual->Scale().X(), sy = visual->Scale().Y();
    float angle = visual->RotateAngle();
    if (angle == 90 || angle == -90 || angle == 270 || angle == -270)
        visual->SetBounds((w - h) / 2, (h - w) / 2, h / sy, w / sx);
    else
        visual->SetBounds(0, 0, w / sx, h / sy);
}

void TvxCustomScene::AddObject(TvxObject* object)
{
    if (!object)
        return;
    if (object->Parent())
        object->SetParent(nullptr);
    m_roots.push_back(object);
    object->SetScene(this);
    if (m_destroying)
        return;
    if (TvxVisualObject* visual = object->Visual()) {
        visual->RecalcUpdateRect();
        visual->RecalcAbsoluteMatrix();
        visual->Repaint();
        RealignRoot();
    }
}

void TvxCustomScene::RemoveObject(TvxObject* object)
{
    if (std::find(m_roots.begin(), m_roots.end(), object) == m_roots.end())
        return;
    object->SetScene(nullptr);
    // Drops the scene's references into the object and the object from the roots.
    Notification(*object, ComponentOperation::Remove);
}

void TvxCustomScene::Notification(TvxComponent& component, ComponentOperation operation)
{
    if (operation != ComponentOperation::Remove)
        return;
    auto* object = dynamic_cast<TvxObject*>(&component);
    if (!object)
        return;
    if (isInside(m_captured, object))
        SetCaptured(nullptr);
    if (isInside(m_hovered, object))
        m_hovered = nullptr;
    if (isInside(m_focused, object))
        m_focused = nullptr;
    if (m_objectDrag) {
        if (isInside(m_objectDrag->over, object))
            m_objectDrag->over = nullptr;
        // A source that goes ends its drag; the object under it is told.
        if (isInside(m_objectDrag->source, object)) {
            m_objectDrag->source = nullptr;
            EndObjectDrag(false);
        }
    }
    if (m_style && static_cast<const void*>(m_style) == static_cast<const void*>(object))
        m_style = nullptr;
    // A root that goes, removed or freed, leaves its area to be painted again.
    if (std::erase(m_roots, object) > 0)
        AddUpdateRect({ 0, 0, float(Width()), float(Height()) });
}

void TvxCustomScene::AddUpdateRect(const TvxRect& rect)
{
    if (m_disableUpdate || m_destroying || Width() <= 0 || Height() <= 0 || rect.Width() == 0 || rect.Height() == 0)
        return;
    TvxRect whole { std::trunc(rect.Left), std::trunc(rect.Top), std::trunc(rect.Right) + 1, std::trunc(rect.Bottom) + 1 };
    if (!RectsMeet(whole, { 0, 0, float(Width()), float(Height()) }))
        return;
    m_pending.push_back(whole);
    RequestFrame();
}

void TvxCustomScene::SetCaptured(TvxVisualObject* object)
{
    m_captured = object;
    CapturePlatformMouse(object != nullptr || m_dragging || m_resizing);
}

void TvxCustomScene::SetStyle(TvxResources* style)
{
    if (m_style)
        m_style->RemoveSceneUpdater(this);
    m_style = style;
    if (m_style)
        m_style->AddSceneUpdater(this);
    UpdateResource();
}

void TvxCustomScene::UpdateResource()
{
    for (TvxObject* root : m_roots)
        root->UpdateResource();
}

TvxPoint TvxCustomScene::LocalToScreen(const TvxPoint& point) const
{
    TvxPoint origin = WindowOrigin();
    return { point.X + origin.X, point.Y + origin.Y };
}

}
