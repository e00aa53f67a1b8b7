// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The host of a scene tree: owns its roots and its off-screen canvas, collects
// repaint requests, paints the pending areas in one frame and routes mouse and
// keyboard input to the objects. Without a window it is the off-screen scene
// of tools and tests; TvxScene puts it in a window.

#include "scene/core/ISceneHost.h"
#include "scene/visual/TvxVisualObject.h"
#include "scene/render/TvxBrush.h"
#include "scene/render/TvxCanvas.h"

#include <memory>
#include <string>
#include <vector>

namespace nimbrell {

class TvxCustomScene : public ISceneHost {
public:
    TvxCustomScene(int width, int height);
    ~TvxCustomScene() override;
    TvxCustomScene(const TvxCustomScene&) = delete;
    TvxCustomScene& operator=(const TvxCustomScene&) = delete;

    int Width() const { return m_canvas->Width(); }
    int Height() const { return m_canvas->Height(); }
    // Resizes the buffer and lays the first root out to it again.
    void SetSize(int width, int height);
    const std::vector<TvxObject*>& Roots() const { return m_roots; }

    // Buffer pixels per scene unit: the device scale of the window's screen.
    // Another scale paints the whole scene again at it.
    float DeviceScale() const { return m_canvas->DeviceScale(); }
    void SetDeviceScale(float scale);

    TvxBrush& Fill() { return m_fill; }
    void SetTransparency(bool value) { m_transparency = value; }

    // The frame: paints the pending rectangles and presents the buffer. Returns
    // whether anything was pending.
    bool Draw();
    // Requests the whole area and draws it at once.
    void DrawAll();
    // Width() × DeviceScale() by Height() × DeviceScale() pixels.
    TvxBitmap& Buffer() { return *m_canvas->Buffer(); }
    // The part of the buffer that frames have painted (whole units); outside it
    // the buffer is still transparent as allocated, and is neither written nor read.
    TvxRect InkedArea() const { return m_inked; }
    // The rectangles the next frame paints; during Present, the ones it painted.
    const std::vector<TvxRect>& PendingRects() const { return m_pending; }
    int FrameCount() const { return m_frames; }

    // Input in scene coordinates (the window's client coordinates).
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y);
    void MouseMove(TvxShiftState shift, float x, float y);
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y);
    void MouseWheel(TvxShiftState shift, int delta);
    void MouseLeave();
    // Virtual key codes (Escape 27, Enter 13, Tab 9, arrows 37..40, ...).
    void KeyDown(int key, TvxShiftState shift);
    void KeyUp(int key, TvxShiftState shift);
    void Character(char32_t character, TvxShiftState shift);

    TvxVisualObject* Hovered() const { return m_hovered; }
    // The window follows the mouse.
    bool Dragging() const { return m_dragging; }
    // An object is being dragged to another; the object it is over, or none.
    bool DraggingObject() const { return m_objectDrag != nullptr; }
    TvxVisualObject* DragTarget() const;
    // What the window shows as its hint now: the Hint of the object under the mouse
    // when that object shows hints, else empty.
    const std::string& WindowHint() const { return m_hint; }
    bool Resizing() const { return m_resizing; }

    // ISceneHost.
    void AddObject(TvxObject* object) override;
    void RemoveObject(TvxObject* object) override;
    void BeginDrag() override;
    void BeginResize() override;
    void AddUpdateRect(const TvxRect& rect) override;
    TvxObject* InsertObject(std::string_view) override { return nullptr; }
    TvxObject* ActiveControl() const override { return m_focused; }
    bool DisableUpdate() const override { return m_disableUpdate; }
    void SetDisableUpdate(bool value) override { m_disableUpdate = value; }
    bool DesignTime() const override { return false; }
    TvxCanvas* Canvas() const override { return m_canvas.get(); }
    TvxObject* Root() const override { return m_roots.empty() ? nullptr : m_roots.front(); }
    TvxComponent* Owner() const override { return nullptr; }
    TvxComponent* Component() const override { return nullptr; }
    TvxResources* Style() const override { return m_style; }
    void SetStyle(TvxResources* style) override;
    bool Transparency() const override { return m_transparency; }
    void UpdateResource() override;
    void Notification(TvxComponent& component, ComponentOperation operation) override;
    TvxObject* Selected() const override { return nullptr; }
    TvxObject* DesignInsertionObject() const override { return nullptr; }
    int UpdateRectCount() const override { return static_cast<int>(m_pending.size()); }
    TvxRect UpdateRect(int index) const override { return m_pending[static_cast<std::size_t>(index)]; }
    int PaintingFrame() const override { return m_drawing ? m_frames + 1 : 0; }
    void SetCaptured(TvxVisualObject* object) override;
    TvxVisualObject* Captured() const override { return m_captured; }
    void SetFocused(TvxVisualObject* object) override;
    TvxVisualObject* Focused() const override { return m_focused; }
    void SetDesignRoot(TvxObject*) override { }
    TvxPoint MousePos() const override { return m_mousePos; }
    TvxPoint LocalToScreen(const TvxPoint& point) const override;
    // Drags the object within the scene: the objects under the pointer are told as
    // it passes over them, the release drops it, Escape cancels it.
    void BeginPlatformDrag(TvxObject* object) override;
    void SetSelected(TvxObject*) override { }

protected:
    // What a window adds: asking for a frame, showing it, moving and sizing the
    // window, the platform mouse and cursor. The off-screen scene does none of it.
    virtual bool HasSurface() const { return true; }
    virtual void RequestFrame() { }
    virtual void Present() { }
    virtual void CapturePlatformMouse(bool) { }
    virtual void SetWindowCursor(int) { }
    virtual bool CanDragWindow() const { return true; }
    virtual TvxPoint WindowOrigin() const { return {}; }
    virtual void MoveWindow(int, int) { }
    virtual void ResizeWindow(int width, int height) { SetSize(width, height); }
    virtual void CloseModalOwner() { }
    // The window hint changed (empty: none), or a press asks for it to go.
    virtual void WindowHintChanged() { }
    virtual void CancelHint() { }

private:
    void RealignRoot();
    TvxVisualObject* ObjectAt(TvxPoint point) const;
    void SetHovered(TvxVisualObject* object);
    void PaintBackground();
    void PaintRoots();
    void MoveFocus(bool forward);
    void SetWindowHint(const std::string& hint);
    // Tells the objects under the pointer about the drag; repaints the drag image.
    void MoveObjectDrag();
    void EndObjectDrag(bool drop);
    void PaintDragImage();
    struct ObjectDrag;

    std::unique_ptr<TvxCanvas> m_canvas;
    std::vector<TvxObject*> m_roots;
    std::vector<TvxRect> m_pending;
    TvxRect m_inked;
    TvxBrush m_fill { TvxBrushStyle::vgBrushNone, 0xFF000000 };
    TvxResources* m_style { nullptr };
    TvxVisualObject* m_captured { nullptr };
    TvxVisualObject* m_hovered { nullptr };
    TvxVisualObject* m_focused { nullptr };
    TvxPoint m_mousePos;
    TvxPoint m_downPos;
    TvxPoint m_resizeSize;
    std::unique_ptr<ObjectDrag> m_objectDrag;
    std::string m_hint;
    int m_frames { 0 };
    bool m_transparency { false };
    bool m_disableUpdate { false };
    bool m_drawing { false };
    bool m_dragging { false };
    bool m_resizing { false };
    bool m_destroying { false };
};

}
