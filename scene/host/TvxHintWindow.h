// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The hint of the object under the mouse, shown in a small window of its own below
// the pointer and drawn by a scene: it appears once the mouse has rested on a hinted
// object for HintPause, goes after HintHidePause, on a press, or when the mouse
// leaves the object. Moving to another hinted object while a hint shows replaces it
// at once. After a press or the hide pause it stays away until the hint changes.

#include "platform/Backend.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace nimbrell {

class SceneWindow;
class TvxText;

class TvxHintWindow {
public:
    static constexpr std::uint32_t HintPause = 500;
    static constexpr std::uint32_t HintHidePause = 2500;
    // Below the pointer by about its height.
    static constexpr int PointerHeight = 20;
    // Longer hints wrap at this width.
    static constexpr float MaximumTextWidth = 300;

    // anchor gives the mouse position in screen pixels when the hint appears.
    explicit TvxHintWindow(std::function<platform::ScreenPoint()> anchor);
    ~TvxHintWindow();
    TvxHintWindow(const TvxHintWindow&) = delete;
    TvxHintWindow& operator=(const TvxHintWindow&) = delete;

    // The hint under the mouse now; empty for none.
    void SetHint(const std::string& text);
    // A press: the hint goes and stays away until it changes.
    void Cancel();

    bool IsShown() const;
    // The text shown, or empty.
    const std::string& ShownText() const;
    // The window, once a hint was first shown.
    SceneWindow* Window() const { return m_window.get(); }

private:
    void OnTimer();
    void Show();
    void Hide();
    void Build();
    void Place(int width, int height);

    std::function<platform::ScreenPoint()> m_anchor;
    platform::Timer m_timer;
    std::string m_hint;
    std::string m_shown;
    std::unique_ptr<SceneWindow> m_window;
    TvxText* m_label { nullptr };
};

}
