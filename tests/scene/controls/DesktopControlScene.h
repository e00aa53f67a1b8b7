// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A real window on the test desktop (scripts/with-desktop.sh) with a dark
// background root, for controls driven by the real mouse, keyboard and clipboard.

#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxScene.h"
#include "tests/support/Desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace nimbrell::testing {

class DesktopControlScene : public ::testing::Test {
protected:
    // Makes the window, lets addControls fill its root, then shows it at (left, top)
    // and lets it settle.
    void open(int width, int height, int left, int top, const std::function<void(TvxBackground& root)>& addControls)
    {
        RegisterSceneControlClasses();
        auto backend = platform::CreateGtkBackend();
        ASSERT_TRUE(backend) << "no X display";
        application = std::make_unique<platform::Application>(std::move(backend));
        window = std::make_unique<SceneWindow>(width, height);
        TvxScene& scene = window->Scene();
        scene.SetTransparency(true);
        auto* root = new TvxBackground(nullptr);
        root->Fill().Assign(TvxBrush(TvxBrushStyle::vgBrushSolid, 0xFF2B2B2B));
        root->SetBounds(0, 0, float(width), float(height));
        scene.AddObject(root);
        addControls(*root);
        window->Move(left, top);
        window->Show();
        ASSERT_TRUE(ScreenSettlesOn([&](const Screenshot& shot) { return Near(shot.At(left + 2, top + 2), { 0x2B, 0x2B, 0x2B }, 4); }))
            << "the window is shown";
    }

    // Moves the pointer to (x, y) on the screen and waits until the scene hovers
    // the object there (or a part of it). The X server delivers input in order,
    // so whatever was sent before has been handled too.
    bool pointAt(int x, int y, TvxObject* object)
    {
        RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
        return WaitFor(
            [&] {
                for (TvxObject* hovered = window->Scene().Hovered(); hovered; hovered = hovered->Parent()) {
                    if (hovered == object)
                        return true;
                }
                return false;
            },
            Pump::Loop);
    }

    std::unique_ptr<platform::Application> application;
    std::unique_ptr<SceneWindow> window;
};

}
