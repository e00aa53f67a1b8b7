#include "scene/host/TvxCustomScene.h"

#include "scene/render/TvxBitmap.h"
#include "scene/styles/TvxResources.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nimbrell {

namespace {

constexpr int keyTab = 9;
constexpr int keyEnter = 13;
constexpr int keyEscape = 27;
constexpr int cursorSizeNWSE = -8;
constexpr int cursorDrag = -12;
constexpr int cursorNoDrop = -13;
// The drag image is see-through, so the objects below stay visible.
constexpr float dragImageOpacity = 0.6f;
// Pending rectangles above this count are painted as their union.
constexpr std::size_t maximumPendingRects = 20;

bool isDialogKey(int key)
{
    switch (key) {
    case keyEscape:
    case keyEnter:
    case 35: // End
    case 36: // Home
    case 37: // arrows
    case 38:
    case 39:
    case 40:
    case 107: // keypad plus
    case 109: // keypad minus
        return true;
    default:
        return false;
    }
}

bool isInside(const TvxObject* held, const TvxObject* subtree)
{
    for (const TvxObject* object = held; object; object = object->Parent()) {
        if (object == subtree)
            return true;
    }
    return false;
}

// The tab-order list of an object and all its descendants: each entry followed
// by its own list.
void collectTabOrder(const TvxVisualObject& object, std::vector<TvxVisualObject*>& list)
{
    for (TvxVisualObject* entry : object.TabList()) {
        list.push_back(entry);
        collectTabOrder(*entry, list);
    }
}

bool canTakeTabFocus(const TvxVisualObject* object)
{
    for (const TvxObject* ancestor = object; ancestor; ancestor = ancestor->Parent()) {
        if (const TvxVisualObject* visual = ancestor->Visual(); visual && !visual->Visible())
            return false;
    }
    return object->CanFocused() && const_cast<TvxVisualObject*>(object)->AbsoluteEnabled();
}

}

struct TvxCustomScene::ObjectDrag {
    TvxDragObject data;
    TvxVisualObject* source { nullptr };
    TvxVisualObject* over { nullptr };
    bool accepted { false };
    std::unique_ptr<TvxBitmap> image;
    // Where the pointer holds the image, in image pixels.
    TvxPoint grip;
    // Where the image was last painted, in scene coordinates.
    TvxRect imageArea;
};

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

bool TvxCustomScene::Draw()
{
    if (m_drawing || m_pending.empty())
        return false;
    m_drawing = true;
    struct Finish {
        TvxCustomScene& scene;
        ~Finish()
        {
            scene.m_pending.clear();
            scene.m_drawing = false;
        }
    } finish { *this };

    if (m_pending.size() > maximumPendingRects) {
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
    PaintBackground();
    canvas.SetStrokeThickness(1);
    canvas.SetStrokeCap(TvxStrokeCap::vgCapFlat);
    canvas.SetStrokeJoin(TvxStrokeJoin::vgJoinMiter);
    canvas.SetStrokeDash(TvxStrokeDash::vgDashSolid);
    canvas.Stroke().SetStyle(TvxBrushStyle::vgBrushSolid);
    canvas.Fill().SetStyle(TvxBrushStyle::vgBrushSolid);
    PaintRoots();
    PaintDragImage();
    IncludeRect(m_inked, IntersectRect(canvas.TakeDrawnArea(), { 0, 0, float(Width()), float(Height()) }));
    canvas.EndScene();
    ++m_frames;
    Present();
    return true;
}

void TvxCustomScene::PaintBackground()
{
    TvxCanvas& canvas = *m_canvas;
    TvxColor color = m_fill.SolidColor();
    bool clear = m_fill.Style() == TvxBrushStyle::vgBrushNone || (m_fill.Style() == TvxBrushStyle::vgBrushSolid && (color >> 24) == 0);
    if (clear) {
        // Every colour of alpha 0 clears to 0, which is what a new buffer holds:
        // the pages no frame has painted stay untouched, so a large, mostly
        // transparent window does not hold its whole buffer in memory.
        for (const TvxRect& r : m_pending)
            canvas.ClearRect(IntersectRect(r, m_inked), 0);
        return;
    }
    canvas.Fill().Assign(m_fill);
    canvas.FillRect({ -1, -1, float(Width()) + 1, float(Height()) + 1 }, 0, 0, kAllCorners, 1);
}

void TvxCustomScene::PaintRoots()
{
    TvxCanvas& canvas = *m_canvas;
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        TvxVisualObject* root = m_roots[i]->Visual();
        if (!root || !root->Visible())
            continue;
        TvxRect area = root->UpdateRect();
        if (std::none_of(m_pending.begin(), m_pending.end(), [&](const TvxRect& r) { return RectsMeet(area, r); }))
            continue;
        root->PaintObject(canvas, kPaintAsRoot);
    }
}

void TvxCustomScene::DrawAll()
{
    AddUpdateRect({ 0, 0, 65535, 65535 });
    Draw();
}

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
        SetWindowCursor(cursorSizeNWSE);
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
        cursor = target->IsResizeGrip() ? cursorSizeNWSE : target->Cursor();
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
    SetWindowCursor(drag->accepted ? cursorDrag : cursorNoDrop);
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
    SetWindowCursor(0);
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

void TvxCustomScene::SetCaptured(TvxVisualObject* object)
{
    m_captured = object;
    CapturePlatformMouse(object != nullptr || m_dragging || m_resizing);
}

void TvxCustomScene::SetFocused(TvxVisualObject* object)
{
    if (object == m_focused)
        return;
    TvxVisualObject* old = std::exchange(m_focused, object);
    if (old)
        old->DoKillFocus();
    if (object)
        object->DoEnterFocus();
}

void TvxCustomScene::KeyDown(int key, TvxShiftState shift)
{
    if (m_objectDrag && key == keyEscape) {
        EndObjectDrag(false);
        return;
    }
    TvxVisualObject* root = Root() ? Root()->Visual() : nullptr;
    if (isDialogKey(key) && root) {
        root->DialogKey(key, shift);
        if (key == 0)
            return;
    }
    if (key == keyEscape) {
        CloseModalOwner();
        return;
    }
    if (key == keyTab && root) {
        MoveFocus(!(shift & kShiftKey));
        return;
    }
    if (m_focused) {
        char32_t character = 0;
        m_focused->KeyDown(key, character, shift);
    }
}

void TvxCustomScene::KeyUp(int key, TvxShiftState shift)
{
    if (!m_focused)
        return;
    char32_t character = 0;
    m_focused->KeyUp(key, character, shift);
}

void TvxCustomScene::Character(char32_t character, TvxShiftState shift)
{
    if (!m_focused || character == keyEnter)
        return;
    // Ctrl+A, C, V, X and Z arrive as control characters; objects see the letters.
    static constexpr std::pair<char32_t, char32_t> shortcuts[] = { { 1, U'a' }, { 3, U'c' }, { 22, U'v' }, { 24, U'x' }, { 26, U'z' } };
    for (auto [control, letter] : shortcuts) {
        if (character != control)
            continue;
        int key = 0;
        char32_t down = letter;
        m_focused->KeyDown(key, down, shift);
        if (!m_focused)
            return;
        key = 0;
        char32_t up = letter;
        m_focused->KeyUp(key, up, shift);
        return;
    }
    int key = 0;
    m_focused->KeyDown(key, character, shift);
}

void TvxCustomScene::MoveFocus(bool forward)
{
    std::vector<TvxVisualObject*> list;
    collectTabOrder(*Root()->Visual(), list);
    int count = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), m_focused);
    auto tryRange = [&](int from, int to, int step) {
        for (int i = from; step > 0 ? i <= to : i >= to; i += step) {
            if (i < 0 || i >= count)
                continue;
            if (canTakeTabFocus(list[static_cast<std::size_t>(i)])) {
                list[static_cast<std::size_t>(i)]->SetFocus();
                return true;
            }
        }
        return false;
    };
    if (forward) {
        int i = found == list.end() ? -1 : static_cast<int>(found - list.begin());
        if (count > 2 && tryRange(i + 1, count - 1, 1))
            return;
        tryRange(0, i, 1);
    } else {
        int i = found == list.end() ? count : static_cast<int>(found - list.begin());
        if (tryRange(i - 1, 0, -1))
            return;
        if (count > 2)
            tryRange(count - 1, i, -1);
    }
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
