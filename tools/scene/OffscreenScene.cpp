#include "tools/scene/OffscreenScene.h"

#include "scene/core/TvxVisualObject.h"
#include "scene/render/TvxBitmap.h"

#include <algorithm>
#include <cmath>

namespace nimbrell::tools {

OffscreenScene::OffscreenScene(int width, int height)
    : m_canvas(TvxCanvas::CreateBuffered(width, height))
{
    m_canvas->SetScene(this);
}

OffscreenScene::~OffscreenScene()
{
    // Roots are owned by whoever added them; they only forget this scene.
    for (TvxObject* root : m_roots)
        root->SetScene(nullptr);
}

void OffscreenScene::Resize(int width, int height)
{
    m_canvas->ResizeBuffer(width, height);
    RealignRoot();
}

void OffscreenScene::RealignRoot()
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

void OffscreenScene::AddObject(TvxObject* object)
{
    if (!object)
        return;
    if (object->Parent())
        object->SetParent(nullptr);
    m_roots.push_back(object);
    object->SetScene(this);
    if (TvxVisualObject* visual = object->Visual()) {
        visual->RecalcUpdateRect();
        visual->RecalcAbsoluteMatrix();
        visual->Repaint();
        RealignRoot();
    }
}

void OffscreenScene::RemoveObject(TvxObject* object)
{
    auto it = std::find(m_roots.begin(), m_roots.end(), object);
    if (it == m_roots.end())
        return;
    m_roots.erase(it);
    object->SetScene(nullptr);
    Notification(*object, ComponentOperation::Remove);
}

void OffscreenScene::AddUpdateRect(const TvxRect& rect)
{
    if (m_disableUpdate || rect.Width() == 0 || rect.Height() == 0)
        return;
    TvxRect whole { std::trunc(rect.Left), std::trunc(rect.Top), std::trunc(rect.Right) + 1, std::trunc(rect.Bottom) + 1 };
    if (!RectsMeet(whole, { 0, 0, float(Width()), float(Height()) }))
        return;
    m_pending.push_back(whole);
}

void OffscreenScene::UpdateResource()
{
    for (TvxObject* root : m_roots)
        root->UpdateResource();
}

void OffscreenScene::Notification(TvxComponent& component, ComponentOperation operation)
{
    if (operation != ComponentOperation::Remove)
        return;
    auto* object = dynamic_cast<TvxObject*>(&component);
    if (!object)
        return;
    auto inside = [object](TvxObject* held) {
        for (TvxObject* o = held; o; o = o->Parent()) {
            if (o == object)
                return true;
        }
        return false;
    };
    if (inside(m_captured))
        m_captured = nullptr;
    if (inside(m_focused))
        m_focused = nullptr;
}

void OffscreenScene::SetFocused(TvxVisualObject* object)
{
    if (object == m_focused)
        return;
    TvxVisualObject* old = m_focused;
    m_focused = object;
    if (old)
        old->DoKillFocus();
    if (object)
        object->DoEnterFocus();
}

bool OffscreenScene::Draw()
{
    if (m_drawing || m_pending.empty())
        return false;
    m_drawing = true;
    struct Finish {
        OffscreenScene& scene;
        ~Finish()
        {
            scene.m_pending.clear();
            scene.m_drawing = false;
        }
    } finish { *this };

    if (m_pending.size() > 20) {
        TvxRect all = m_pending.front();
        for (const TvxRect& r : m_pending)
            all = UnionRect(all, r);
        m_pending.assign(1, all);
    }
    TvxCanvas& canvas = *m_canvas;
    canvas.BeginScene();
    canvas.ResetClipRect();
    canvas.SetMatrix(TvxMatrix::Identity());
    canvas.SetClipRects(m_pending);
    for (const TvxRect& r : m_pending)
        canvas.ClearRect(r, 0);
    canvas.SetStrokeThickness(1);
    canvas.SetStrokeCap(TvxStrokeCap::vgCapFlat);
    canvas.SetStrokeJoin(TvxStrokeJoin::vgJoinMiter);
    canvas.SetStrokeDash(TvxStrokeDash::vgDashSolid);
    canvas.Stroke().SetStyle(TvxBrushStyle::vgBrushSolid);
    canvas.Fill().SetStyle(TvxBrushStyle::vgBrushSolid);
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        TvxVisualObject* root = m_roots[i]->Visual();
        if (!root || !root->Visible())
            continue;
        TvxRect area = root->UpdateRect();
        bool meets = std::any_of(m_pending.begin(), m_pending.end(), [&](const TvxRect& r) { return RectsMeet(area, r); });
        if (!meets)
            continue;
        canvas.SetMatrix(root->AbsoluteMatrix());
        root->PrePaint();
        root->Paint();
        root->PostPaint();
        root->PaintChildren();
        if (root->OnPaint) {
            canvas.SetMatrix(root->AbsoluteMatrix());
            root->OnPaint(root, &canvas, root->LocalRect());
        }
    }
    canvas.EndScene();
    return true;
}

void OffscreenScene::DrawAll()
{
    AddUpdateRect({ 0, 0, 65535, 65535 });
    Draw();
}

}
