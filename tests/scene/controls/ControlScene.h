// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A headless scene on the manual clock with every control class registered and the
// default style sheet linked in.

#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace nimbrell::testing {

// A scene host that records what controls ask of the window hosting it.
class RecordingScene : public TvxCustomScene {
public:
    using TvxCustomScene::TvxCustomScene;
    void SetFormModalResult(int result) override { modalResults.push_back(result); }
    void CloseForm() override { ++closeRequests; }

    std::vector<int> modalResults;
    int closeRequests { 0 };
    // Escape reaching the window's cancel rule.
    int modalCancels { 0 };

protected:
    void CloseModalOwner() override { ++modalCancels; }
};

class ControlScene : public ::testing::Test {
protected:
    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    std::unique_ptr<RecordingScene> scene;
    TvxBackground* root { nullptr };

    void SetUp() override
    {
        RegisterSceneControlClasses();
        TvxVisualObject::SetGlobalDisableFocusEffect(false);
        scene = std::make_unique<RecordingScene>(320, 200);
        root = new TvxBackground(nullptr);
        root->SetBounds(0, 0, 320, 200);
        scene->AddObject(root);
    }
    void TearDown() override { scene.reset(); }

    template<typename T>
    T* add(float x, float y, float width, float height)
    {
        auto* control = new T(nullptr);
        control->SetBounds(x, y, width, height);
        root->AddObject(control);
        return control;
    }

    // Moves the manual clock in small steps, so timers and animations fire on time.
    void advance(int milliseconds)
    {
        for (int passed = 0; passed < milliseconds; passed += 10) {
            backend->AdvanceClock(10);
            application.ProcessMessages();
        }
    }

    void frame() { scene->DrawAll(); }
};

}
