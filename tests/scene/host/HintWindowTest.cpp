// SPDX-License-Identifier: GPL-3.0-or-later
// The hint window on the headless back end, timed by the manual clock.

#include "tests/support/HeadlessScene.h"
#include "tests/support/SceneObjects.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace nimbrell;
using nimbrell::testing::AddRectangle;
using platform::PostMessage;

namespace {

class HintWindowTest : public nimbrell::testing::HeadlessSceneTest {
protected:
    HintWindowTest()
        : HeadlessSceneTest(300, 100)
    {
    }

    TvxRectangle* hinted { nullptr };
    TvxRectangle* other { nullptr };

    void SetUp() override
    {
        hinted = AddRectangle(root, { 10, 10, 60, 60 }, 0xFFFF0000);
        hinted->SetHint("Refresh the forecast");
        hinted->SetShowHint(true);
        other = AddRectangle(root, { 100, 10, 150, 60 }, 0xFF00FF00);
        other->SetHint("Settings");
        other->SetShowHint(true);
        window.Move(400, 300);
        window.Show();
        application.ProcessMessages();
    }

    void wait(std::uint64_t ms)
    {
        backend->AdvanceClock(ms);
        application.ProcessMessages();
    }
    bool shown() const { return scene.HintWindow() && scene.HintWindow()->IsShown(); }
    std::string shownText() const { return scene.HintWindow() ? scene.HintWindow()->ShownText() : std::string(); }
    platform::HeadlessWindow& hintNative() { return static_cast<platform::HeadlessWindow&>(scene.HintWindow()->Window()->Native()); }
};

}

TEST_F(HintWindowTest, AppearsAfterTheRestPauseBelowThePointerAndGoesAfterTheHidePause)
{
    post(platform::WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(scene.WindowHint(), "Refresh the forecast");
    post(platform::WM_MOUSEMOVE, 30, 25);
    wait(TvxHintWindow::HintPause - 1);
    EXPECT_FALSE(shown()) << "moving within the object does not show it early";
    wait(1);
    ASSERT_TRUE(shown());
    EXPECT_EQ(shownText(), "Refresh the forecast");

    platform::HeadlessWindow& native = hintNative();
    EXPECT_EQ(native.Kind(), platform::WindowKind::Hint);
    EXPECT_TRUE(native.IsVisible());
    EXPECT_EQ(native.Left(), 430);
    EXPECT_EQ(native.Top(), 325 + TvxHintWindow::PointerHeight);
    EXPECT_GT(native.Width(), 60);
    EXPECT_LT(native.Height(), 40);
    // Drawn by its scene: the dark fill, and the light text on it.
    const auto& pixels = native.PushedPixels();
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(native.Width() * native.Height()));
    EXPECT_EQ(pixels[static_cast<std::size_t>(native.Width() * 2 + 3)] >> 24, 0xF0u);
    EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p & 0xFF) > 0xC0; })) << "text pixels";

    wait(TvxHintWindow::HintHidePause);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(native.IsVisible());
    post(platform::WM_MOUSEMOVE, 35, 25);
    wait(TvxHintWindow::HintPause);
    EXPECT_FALSE(shown()) << "not again while the mouse stays on the object";
}

TEST_F(HintWindowTest, LeavingOrPressingHidesAndAnotherObjectReplacesTheText)
{
    post(platform::WM_MOUSEMOVE, 20, 20);
    wait(TvxHintWindow::HintPause);
    ASSERT_TRUE(shown());
    post(platform::WM_MOUSEMOVE, 120, 20);
    EXPECT_EQ(shownText(), "Settings") << "replaced at once";

    post(platform::WM_MOUSEMOVE, 80, 80);
    EXPECT_FALSE(shown()) << "no object under the mouse, no hint";
    EXPECT_EQ(scene.WindowHint(), "");

    post(platform::WM_MOUSEMOVE, 20, 20);
    wait(TvxHintWindow::HintPause);
    ASSERT_TRUE(shown());
    PostMessage(window.Handle(), platform::WM_MOUSELEAVE, 0, 0);
    application.ProcessMessages();
    EXPECT_FALSE(shown()) << "the mouse left the window";

    post(platform::WM_MOUSEMOVE, 20, 20);
    wait(TvxHintWindow::HintPause);
    ASSERT_TRUE(shown());
    post(platform::WM_LBUTTONDOWN, 20, 20, platform::MK_LBUTTON);
    post(platform::WM_LBUTTONUP, 20, 20);
    EXPECT_FALSE(shown()) << "a press hides it";
    post(platform::WM_MOUSEMOVE, 22, 20);
    wait(TvxHintWindow::HintPause * 2);
    EXPECT_FALSE(shown()) << "and it stays away on the same object";

    post(platform::WM_LBUTTONDOWN, 20, 20, platform::MK_LBUTTON);
    post(platform::WM_LBUTTONUP, 20, 20);
    post(platform::WM_MOUSEMOVE, 120, 20);
    post(platform::WM_MOUSEMOVE, 20, 20);
    wait(TvxHintWindow::HintPause);
    EXPECT_TRUE(shown()) << "back after the hint changed";
}

TEST_F(HintWindowTest, OnlyObjectsThatShowHintsHaveOne)
{
    struct Case {
        const char* hint;
        bool showHint;
    } cases[] = { { "Refresh the forecast", false }, { "", true } };
    for (const Case& c : cases) {
        hinted->SetHint(c.hint);
        hinted->SetShowHint(c.showHint);
        post(platform::WM_MOUSEMOVE, 20, 20);
        wait(TvxHintWindow::HintPause);
        EXPECT_EQ(scene.WindowHint(), "") << c.hint;
        EXPECT_FALSE(shown()) << c.hint;
        post(platform::WM_MOUSEMOVE, 80, 80);
    }
}

TEST_F(HintWindowTest, StaysInsideTheWorkAreaNearItsEdge)
{
    backend->SetWorkArea({ 0, 0, 460, 350 });
    post(platform::WM_MOUSEMOVE, 55, 45);
    wait(TvxHintWindow::HintPause);
    ASSERT_TRUE(shown());
    platform::HeadlessWindow& native = hintNative();
    EXPECT_EQ(native.Left() + native.Width(), 460) << "moved left to fit";
    EXPECT_EQ(native.Top() + native.Height(), 345) << "above the pointer when there is no room below";
}
