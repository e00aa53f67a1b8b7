// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scene in a top-level window: repaint requests become one private message
// (1147) per request, and all of them queued at a time make one frame that is
// pushed to the window with per-pixel alpha; the window's input messages become
// scene input. SceneWindow is a window filled by one such scene.

#include "platform/Window.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/host/TvxHintWindow.h"

namespace nimbrell {

class SceneWindow;

inline constexpr std::uint32_t SceneFrameMessage = 1147;
// A parent window with this tag is not moved by dragging its empty parts.
inline constexpr int NoDragTag = 65535;

class TvxScene final : public TvxCustomScene {
public:
    explicit TvxScene(SceneWindow& window);

    // Takes the frame message and the window's mouse and keyboard messages;
    // false for anything else. A change of the window's device scale is
    // followed, and left to the window too (false).
    bool HandleMessage(platform::Message& message);

    // 1 (ok) and 2 (cancel) are the results a window knows; others count as ok.
    void SetFormModalResult(int result) override;
    void CloseForm() override;
    void SetInputMethodCaret(const TvxRect& caret) override;
    SceneWindow& Window() const { return m_window; }

    // The window that shows hints, once a hinted object was under the mouse.
    TvxHintWindow* HintWindow() const { return m_hints.get(); }

protected:
    void RequestFrame() override;
    void Present() override;
    void CapturePlatformMouse(bool capture) override;
    void SetWindowCursor(int cursor) override;
    bool CanDragWindow() const override;
    TvxPoint WindowOrigin() const override;
    void MoveWindow(int left, int top) override;
    void ResizeWindow(int width, int height) override;
    void CloseModalOwner() override;
    void WindowHintChanged() override;
    void CancelHint() override;

private:
    void DrawFrame();

    SceneWindow& m_window;
    std::unique_ptr<TvxHintWindow> m_hints;
    std::vector<platform::ScreenRect> m_damage;
};

class SceneWindow : public platform::Window {
public:
    SceneWindow(int width, int height, platform::WindowKind kind = platform::WindowKind::TopLevel);
    ~SceneWindow() override;

    TvxScene& Scene() { return *m_scene; }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // Shows the window and paints all of it.
    void Show();
    // Resizes window and scene together.
    void SetSize(int width, int height);

protected:
    void OnMessage(platform::Message& message) final;
    // Messages the scene does not take.
    virtual void OnWindowMessage(platform::Message&) { }

private:
    std::unique_ptr<TvxScene> m_scene;
    int m_tag { 0 };
};

}
