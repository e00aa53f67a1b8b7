// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scene window on the headless back end with a manual clock: a transparent scene
// whose root background takes no hits, and window messages handled as they are posted.

#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxScene.h"

#include <gtest/gtest.h>

#include <memory>

namespace nimbrell::testing {

class HeadlessSceneTest : public ::testing::Test {
protected:
    HeadlessSceneTest(int width, int height)
        : window(width, height)
    {
        RegisterSceneHostClasses();
        scene.SetTransparency(true);
        root = new TvxBackground(nullptr);
        root->SetHitTest(false);
        scene.AddObject(root);
    }

    platform::HeadlessWindow& native() { return static_cast<platform::HeadlessWindow&>(window.Native()); }

    // A pixel of the last image the window showed.
    std::uint32_t pushedPixel(int x, int y)
    {
        return native().PushedPixels()[static_cast<std::size_t>(y * native().Width() + x)];
    }

    // Posts a mouse message at (x, y) and handles it.
    void post(std::uint32_t code, int x, int y, platform::WPARAM flags = 0)
    {
        platform::PostMessage(window.Handle(), code, flags, platform::MakePointParam(x, y));
        application.ProcessMessages();
    }

    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    SceneWindow window;
    TvxScene& scene { window.Scene() };
    TvxBackground* root { nullptr };
};

}
