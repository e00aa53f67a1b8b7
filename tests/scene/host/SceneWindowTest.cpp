// SPDX-License-Identifier: GPL-3.0-or-later
// A scene in a real window on an X desktop with a compositor.
#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxScene.h"
#include "scene/shapes/TvxRectangle.h"
#include "tests/support/SceneObjects.h"
#include "tests/support/Desktop.h"
#include "tests/support/MessageRecorder.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

class SceneWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterSceneHostClasses();
        auto backend = platform::CreateGtkBackend();
        ASSERT_TRUE(backend) << "no X display";
        application = std::make_unique<platform::Application>(std::move(backend));
        ASSERT_TRUE(WaitFor([&] { return application->GetBackend().IsComposited(); }, 10s, Pump::Loop)) << "no compositor";
        window = std::make_unique<SceneWindow>(200, 100);
        TvxScene& scene = window->Scene();
        scene.SetTransparency(true);
        auto* root = new TvxBackground(nullptr);
        root->SetHitTest(false);
        scene.AddObject(root);
        red = AddRectangle(root, { 10, 10, 90, 90 }, 0xFFFF0000);
        handle = AddRectangle(root, { 110, 10, 190, 50 }, 0x80FFFFFF);
        handle->SetHitTest(false);
        window->Move(100, 100);
    }

    // Waits until the screen shows the colour at (x, y); fails the test if it never does.
    void waitForPixel(int x, int y, Rgb colour)
    {
        Screenshot screen = ScreenWhen([&](const Screenshot& shot) { return Near(shot.At(x, y), colour, 4); });
        ASSERT_TRUE(Near(screen.At(x, y), colour, 4)) << Describe(screen.At(x, y)) << " at " << x << ", " << y;
    }

    void showBelow(MessageRecorder& below)
    {
        std::vector<std::uint32_t> blue(400 * 300, 0xFF0000FF);
        below.Move(50, 50);
        below.Native().Resize(400, 300);
        below.Native().Show();
        below.Native().PushLayered(blue.data(), 400, 300, 400 * 4);
        waitForPixel(51, 51, { 0, 0, 255 });
    }

    std::unique_ptr<platform::Application> application;
    std::unique_ptr<SceneWindow> window;
    TvxRectangle* red { nullptr };
    TvxRectangle* handle { nullptr };
};

}

TEST_F(SceneWindowTest, UnpaintedPixelsShowTheDesktopAndHalfTransparentOnesBlend)
{
    window->Show();
    Screenshot screen = ScreenWhen([](const Screenshot& shot) { return Near(shot.At(150, 150), { 255, 0, 0 }, 4); });
    EXPECT_TRUE(Near(screen.At(150, 150), { 255, 0, 0 }, 4)) << Describe(screen.At(150, 150));
    Rgb blend { 0x80 + DesktopRoot.r * 0x7F / 0xFF, 0x80 + DesktopRoot.g * 0x7F / 0xFF, 0x80 + DesktopRoot.b * 0x7F / 0xFF };
    EXPECT_TRUE(Near(screen.At(250, 130), blend, 6)) << Describe(screen.At(250, 130));
    EXPECT_TRUE(Near(screen.At(250, 180), DesktopRoot, 4)) << Describe(screen.At(250, 180));
    EXPECT_TRUE(Near(screen.At(105, 105), DesktopRoot, 4)) << Describe(screen.At(105, 105));
}

TEST_F(SceneWindowTest, ClicksOnTransparentPixelsReachTheWindowBelowAndPaintedOnesTheScene)
{
    MessageRecorder below;
    showBelow(below);
    window->Show();
    waitForPixel(150, 150, { 255, 0, 0 });
    int pressed = 0;
    red->OnMouseDown.Set([&](TvxObject*, TvxMouseButton, TvxShiftState, float, float) { ++pressed; });

    RunCommand("xdotool mousemove 250 180 click 1");
    auto gotUp = [&] {
        for (const auto& message : below.received) {
            if (message.message == platform::WM_LBUTTONUP)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(gotUp, Pump::Loop)) << "the click went through the transparent part";
    EXPECT_EQ(pressed, 0);

    RunCommand("xdotool mousemove 150 150 click 1");
    EXPECT_TRUE(WaitFor([&] { return pressed == 1; }, Pump::Loop)) << "the click on the red square reached it";
}

TEST_F(SceneWindowTest, DraggingAnEmptyPartMovesTheWindowByTheSameDistance)
{
    window->Show();
    waitForPixel(150, 150, { 255, 0, 0 });
    RunCommand("xdotool mousemove 250 130 mousedown 1");
    ASSERT_TRUE(WaitFor([&] { return window->Scene().Dragging(); }, Pump::Loop));
    RunCommand("xdotool mousemove 270 140");
    ASSERT_TRUE(WaitFor([&] { return window->Left() == 120 && window->Top() == 110; }, Pump::Loop));
    RunCommand("xdotool mousemove 290 170 mouseup 1");
    WaitFor([&] { return window->Left() == 140 && window->Top() == 140 && !window->Scene().Dragging(); }, Pump::Loop);
    EXPECT_EQ(window->Left(), 140);
    EXPECT_EQ(window->Top(), 140);
    Screenshot screen = ScreenWhen([](const Screenshot& shot) { return Near(shot.At(190, 190), { 255, 0, 0 }, 4); });
    EXPECT_TRUE(Near(screen.At(190, 190), { 255, 0, 0 }, 4)) << "the window is shown at its new place: " << Describe(screen.At(190, 190));
    EXPECT_TRUE(Near(screen.At(145, 145), DesktopRoot, 4)) << Describe(screen.At(145, 145));

    // Nothing may happen from here on. The pointer then goes onto the red square:
    // the X server delivers in order, so once the scene hovers it, the drag's
    // input has been handled.
    window->SetTag(NoDragTag);
    RunCommand("xdotool mousemove 290 170 mousedown 1 mousemove 330 200 mouseup 1 mousemove 200 200");
    ASSERT_TRUE(WaitFor([&] { return window->Scene().Hovered() == red; }, Pump::Loop));
    EXPECT_EQ(window->Left(), 140) << "tag 65535 keeps the window in place";
}

TEST_F(SceneWindowTest, OddPlacesAndSizesAndLateInputDoNoHarm)
{
    window->Move(-50000, -50000);
    window->Show();
    EXPECT_TRUE(WaitFor([&] { return window->Scene().FrameCount() >= 1; }, Pump::Loop));
    window->SetSize(0, 0);
    EXPECT_TRUE(WaitFor([&] { return window->Scene().Width() == 1 && window->Scene().FrameCount() >= 2; }, Pump::Loop));
    window->SetSize(10000, 10000);
    window->Move(0, 0);
    EXPECT_TRUE(WaitFor([&] { return window->Scene().Width() == 10000 && window->Scene().FrameCount() >= 3; }, Pump::Loop));

    platform::HWND handle = window->Handle();
    platform::PostMessage(handle, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::MakePointParam(5, 5));
    window.reset();
    EXPECT_FALSE(platform::PostMessage(handle, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(6, 6)));
    application->ProcessMessages(); // the press queued for the closed window
}

TEST_F(SceneWindowTest, RestingOnAHintedObjectMapsTheHintWindowBelowThePointer)
{
    red->SetHint("A red square");
    red->SetShowHint(true);
    window->Show();
    waitForPixel(150, 150, { 255, 0, 0 });
    RunCommand("xdotool mousemove 150 150");
    ASSERT_TRUE(WaitFor([&] { return window->Scene().HintWindow() && window->Scene().HintWindow()->IsShown(); }, Pump::Loop));
    SceneWindow& hint = *window->Scene().HintWindow()->Window();
    EXPECT_EQ(hint.Left(), 150);
    EXPECT_EQ(hint.Top(), 150 + TvxHintWindow::PointerHeight);
    // The dark fill at alpha 0xF0 over the red square.
    waitForPixel(hint.Left() + 3, hint.Top() + 3, { 0x3C, 0x2D, 0x2D });

    RunCommand("xdotool click 1");
    EXPECT_TRUE(WaitFor([&] { return !window->Scene().HintWindow()->IsShown(); }, Pump::Loop)) << "a press hides it";
    waitForPixel(153, 173, { 255, 0, 0 });
}

TEST_F(SceneWindowTest, DraggingAnObjectOntoAnotherOutlinesItAndDropsOnRelease)
{
    auto* target = AddRectangle(window->Scene().Root()->Visual(), { 110, 60, 190, 90 }, 0xFF00FF00);
    bool dropped = false;
    target->OnDragOver.Set([](TvxObject*, const TvxDragObject&, TvxPoint, bool& accept) { accept = true; });
    target->OnDragDrop.Set([&](TvxObject*, const TvxDragObject& data, TvxPoint) { dropped = data.Source == red; });
    red->SetDragMode(TvxDragMode::dmAutomatic);
    window->Show();
    waitForPixel(150, 150, { 255, 0, 0 });

    RunCommand("xdotool mousemove 150 150 mousedown 1");
    ASSERT_TRUE(WaitFor([&] { return window->Scene().DraggingObject(); }, Pump::Loop));
    RunCommand("xdotool mousemove 285 185");
    ASSERT_TRUE(WaitFor([&] { return target->IsDragOver(); }, Pump::Loop));
    waitForPixel(211, 175, { 0x33, 0x99, 0xFF });
    RunCommand("xdotool mouseup 1");
    EXPECT_TRUE(WaitFor([&] { return dropped; }, Pump::Loop));
    waitForPixel(211, 175, { 0, 255, 0 });
}
