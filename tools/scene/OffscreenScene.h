#pragma once

// A scene host without a window: roots are laid out to the buffer's size and painted
// into a transparent premultiplied ARGB buffer, following the frame of the scene host
// window (pending rectangles, clearing, root painting), for the render tool and tests.

#include "scene/core/ISceneHost.h"
#include "scene/render/TvxCanvas.h"

#include <memory>
#include <vector>

namespace nimbrell::tools {

class OffscreenScene final : public ISceneHost {
public:
    OffscreenScene(int width, int height);
    ~OffscreenScene() override;

    int Width() const { return m_canvas->Width(); }
    int Height() const { return m_canvas->Height(); }
    // Lays the first root out to the buffer again.
    void Resize(int width, int height);
    // Paints the pending rectangles; returns whether anything was pending.
    bool Draw();
    // Requests and paints the whole buffer.
    void DrawAll();
    TvxBitmap& Buffer() { return *m_canvas->Buffer(); }
    std::vector<TvxRect> PendingRects() const { return m_pending; }

    void AddObject(TvxObject* object) override;
    void RemoveObject(TvxObject* object) override;
    void BeginDrag() override { }
    void BeginResize() override { }
    void AddUpdateRect(const TvxRect& rect) override;
    TvxObject* InsertObject(std::string_view) override { return nullptr; }
    TvxObject* ActiveControl() const override { return nullptr; }
    bool DisableUpdate() const override { return m_disableUpdate; }
    void SetDisableUpdate(bool value) override { m_disableUpdate = value; }
    bool DesignTime() const override { return false; }
    TvxCanvas* Canvas() const override { return m_canvas.get(); }
    TvxObject* Root() const override { return m_roots.empty() ? nullptr : m_roots.front(); }
    TvxComponent* Owner() const override { return nullptr; }
    TvxComponent* Component() const override { return nullptr; }
    TvxResources* Style() const override { return nullptr; }
    void SetStyle(TvxResources*) override { }
    bool Transparency() const override { return true; }
    void UpdateResource() override;
    void Notification(TvxComponent& component, ComponentOperation operation) override;
    TvxObject* Selected() const override { return nullptr; }
    TvxObject* DesignInsertionObject() const override { return nullptr; }
    int UpdateRectCount() const override { return static_cast<int>(m_pending.size()); }
    TvxRect UpdateRect(int index) const override { return m_pending[static_cast<std::size_t>(index)]; }
    void SetCaptured(TvxVisualObject* object) override { m_captured = object; }
    TvxVisualObject* Captured() const override { return m_captured; }
    void SetFocused(TvxVisualObject* object) override;
    TvxVisualObject* Focused() const override { return m_focused; }
    void SetDesignRoot(TvxObject*) override { }
    TvxPoint MousePos() const override { return {}; }
    TvxPoint LocalToScreen(const TvxPoint& point) const override { return point; }
    void BeginPlatformDrag(TvxObject*) override { }
    void SetSelected(TvxObject*) override { }

private:
    void RealignRoot();

    std::unique_ptr<TvxCanvas> m_canvas;
    std::vector<TvxObject*> m_roots;
    std::vector<TvxRect> m_pending;
    bool m_disableUpdate { false };
    bool m_drawing { false };
    TvxVisualObject* m_captured { nullptr };
    TvxVisualObject* m_focused { nullptr };
};

}
