// SPDX-License-Identifier: GPL-3.0-or-later
// What the controls do with the mouse, keys and the clock, and how the progress bar
// places its indicator.

#include "tests/scene/controls/ControlScene.h"

#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/controls/TvxSizeGrip.h"
#include "scene/shapes/TvxEffect.h"
#include "scene/shapes/TvxText.h"

using namespace nimbrell;
using nimbrell::testing::ControlScene;

namespace {

constexpr TvxShiftState kHeld = kLeftButton;

class ControlsTest : public ControlScene {
protected:
    int clicks { 0 };

    template<typename T>
    T* counted(float x, float y, float width, float height)
    {
        T* control = add<T>(x, y, width, height);
        control->OnClick.Set([this](TvxObject*) { ++clicks; });
        frame();
        return control;
    }
    void press(float x, float y, TvxShiftState shift = kHeld) { scene->MouseDown(TvxMouseButton::mbLeft, shift, x, y); }
    void release(float x, float y) { scene->MouseUp(TvxMouseButton::mbLeft, 0, x, y); }
    void drag(float x, float y) { scene->MouseMove(kHeld, x, y); }
};

TEST_F(ControlsTest, DefaultsOnCreation)
{
    struct Expected {
        const char* name;
        TvxVisualObject* control;
        float width, height;
        bool canFocus, capture;
    };
    TvxLabel label(nullptr);
    TvxButton button(nullptr);
    TvxCircleButton circle(nullptr);
    TvxSpeedButton speed(nullptr);
    TvxCheckBox check(nullptr);
    TvxCloseButton close(nullptr);
    TvxProgressBar bar(nullptr);
    const Expected rows[] = {
        { "label", &label, 120, 15, false, false },
        { "button", &button, 80, 22, true, true },
        { "circle button", &circle, 21, 21, true, true },
        { "speed button", &speed, 23, 23, false, true },
        { "check box", &check, 120, 19, true, true },
        { "close button", &close, 20, 20, false, true },
        { "progress bar", &bar, 100, 20, false, false },
    };
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.control->Width(), row.width);
        EXPECT_EQ(row.control->Height(), row.height);
        EXPECT_EQ(row.control->CanFocused(), row.canFocus);
        EXPECT_EQ(row.control->AutoCapture(), row.capture);
    }
    EXPECT_FALSE(label.HitTest());
    EXPECT_TRUE(label.WordWrap());
    EXPECT_FALSE(button.WordWrap());
    EXPECT_TRUE(speed.RepeatClick());
    EXPECT_TRUE(speed.Text().empty());
    EXPECT_EQ(check.TextAlign(), TvxTextAlign::vgTextAlignNear);
    EXPECT_TRUE(close.CloseForm());
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Orientation(), TvxOrientation::vgHorizontal);
}

TEST_F(ControlsTest, TextBindingReachesTheTextPart)
{
    auto* button = add<TvxButton>(10, 10, 80, 22);
    button->SetText("Save");
    button->SetTextAlign(TvxTextAlign::vgTextAlignFar);
    frame();
    auto* text = dynamic_cast<TvxText*>(button->FindResource("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text(), "Save");
    EXPECT_EQ(text->HorzTextAlign(), TvxTextAlign::vgTextAlignFar);
    EXPECT_FALSE(text->WordWrap());
    button->SetText("Cancel");
    button->SetVertTextAlign(TvxTextAlign::vgTextAlignNear);
    button->SetWordWrap(true);
    button->Font().SetSize(20);
    button->FontFill().SetSolidColor(0xFF00FF00);
    EXPECT_EQ(text->Text(), "Cancel");
    EXPECT_EQ(text->VertTextAlign(), TvxTextAlign::vgTextAlignNear);
    EXPECT_TRUE(text->WordWrap());
    EXPECT_EQ(text->Font().Size(), 20);
    EXPECT_EQ(text->Fill().SolidColor(), 0xFF00FF00u);

    // An unchanged text asks for no repaint.
    scene->Draw();
    button->SetText("Cancel");
    EXPECT_TRUE(scene->PendingRects().empty());

    // A label wraps, and with AutoSize takes the size of its text.
    auto* label = add<TvxLabel>(10, 40, 120, 15);
    label->SetText("A longer caption");
    frame();
    auto* caption = dynamic_cast<TvxText*>(label->FindResource("text"));
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->WordWrap());
    float before = label->Width();
    label->SetAutoSize(true);
    EXPECT_NE(label->Width(), before);
    EXPECT_GT(label->Width(), 40);
    EXPECT_FALSE(caption->WordWrap());
}

TEST_F(ControlsTest, ButtonClicksOnlyOnAReleaseInside)
{
    auto* button = counted<TvxButton>(10, 10, 80, 22);
    press(20, 20);
    EXPECT_TRUE(button->IsPressed());
    drag(200, 150);
    EXPECT_FALSE(button->IsPressed());
    release(200, 150);
    EXPECT_EQ(clicks, 0);

    press(20, 20);
    drag(200, 150);
    drag(90, 32); // the corner counts as inside
    EXPECT_TRUE(button->IsPressed());
    release(30, 20);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->IsPressed());

    scene->MouseDown(TvxMouseButton::mbRight, kRightButton, 20, 20);
    EXPECT_FALSE(button->IsPressed());
    scene->MouseUp(TvxMouseButton::mbRight, 0, 20, 20);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, RepeatClickButtonClicksWhileHeld)
{
    auto* button = counted<TvxButton>(10, 10, 80, 22);
    button->SetRepeatClick(true);
    press(20, 20);
    advance(490);
    EXPECT_EQ(clicks, 0);
    advance(510);
    EXPECT_EQ(clicks, 5);
    // Held outside, it goes on clicking.
    drag(200, 150);
    advance(200);
    EXPECT_EQ(clicks, 7);
    drag(20, 20);
    release(20, 20);
    EXPECT_EQ(clicks, 8);
    advance(300);
    EXPECT_EQ(clicks, 8);
    // Every press starts with the long delay again.
    press(20, 20);
    advance(550);
    EXPECT_EQ(clicks, 8);
    release(300, 190);
}

TEST_F(ControlsTest, DoubleClicksAndStaysPressed)
{
    auto* button = counted<TvxButton>(10, 10, 80, 22);
    int doubleClicks = 0;
    button->OnDblClick.Set([&](TvxObject*) { ++doubleClicks; });
    press(20, 20);
    release(20, 20);
    press(20, 20, kHeld | kDoubleClick);
    release(20, 20);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubleClicks, 1);

    button->SetIsPressed(true);
    EXPECT_FALSE(button->IsPressed());
    button->SetStaysPressed(true);
    press(20, 20);
    release(20, 20);
    EXPECT_TRUE(button->IsPressed());
    press(20, 20);
    release(20, 20);
    EXPECT_FALSE(button->IsPressed());
    button->SetIsPressed(true);
    EXPECT_TRUE(button->IsPressed());
}

TEST_F(ControlsTest, KeysModalResultAndDialogKeys)
{
    auto* save = counted<TvxButton>(10, 10, 80, 22);
    save->SetModalResult(1);
    save->SetDefault(true);
    auto* cancel = add<TvxButton>(100, 10, 80, 22);
    cancel->SetCancel(true);
    cancel->SetModalResult(2);
    int cancelled = 0;
    cancel->OnClick.Set([&](TvxObject*) { ++cancelled; });

    save->SetFocus();
    scene->KeyDown(32, 0);
    EXPECT_EQ(clicks, 1);
    cancel->SetFocus();
    scene->KeyDown(13, 0); // Enter goes to the Default button
    EXPECT_EQ(clicks, 2);
    scene->KeyDown(27, 0);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(scene->modalResults, (std::vector<int> { 1, 1, 2 }));
}

TEST_F(ControlsTest, CheckBoxToggles)
{
    auto* check = add<TvxCheckBox>(10, 10, 120, 19);
    int changes = 0;
    check->OnChange.Set([&](TvxObject*) { ++changes; });
    frame();
    press(20, 20);
    EXPECT_TRUE(check->IsPressed());
    drag(200, 150);
    EXPECT_FALSE(check->IsPressed());
    release(200, 150);
    EXPECT_FALSE(check->IsChecked());

    press(20, 20);
    release(20, 20);
    EXPECT_TRUE(check->IsChecked());
    press(20, 20, kHeld | kDoubleClick);
    release(20, 20);
    press(20, 20);
    release(20, 20);
    EXPECT_TRUE(check->IsChecked()); // a double click toggles twice
    EXPECT_EQ(changes, 3);

    check->SetIsChecked(true);
    EXPECT_EQ(changes, 3);
    check->SetFocus();
    scene->KeyDown(32, 0);
    EXPECT_FALSE(check->IsChecked());
    EXPECT_EQ(changes, 4);
}

TEST_F(ControlsTest, CheckMarkFollowsIsChecked)
{
    auto* check = add<TvxCheckBox>(10, 10, 120, 19);
    check->SetIsChecked(true);
    frame();
    auto* mark = dynamic_cast<TvxShape*>(check->FindResource("checkmark"));
    ASSERT_NE(mark, nullptr);
    advance(150);
    EXPECT_EQ(mark->Fill().SolidColor(), 0xFFF5AB28u);
    check->SetIsChecked(false);
    advance(20);
    EXPECT_EQ(mark->Fill().SolidColor(), 0x00F5AB28u);
}

TEST_F(ControlsTest, ButtonHoverAndPressAnimateTheBackground)
{
    auto* button = add<TvxButton>(10, 10, 80, 22);
    frame();
    auto* background = dynamic_cast<TvxShape*>(button->FindResource("background"));
    ASSERT_NE(background, nullptr);
    scene->MouseMove(0, 20, 20);
    advance(250);
    EXPECT_EQ(background->Fill().SolidColor(), 0xFF707070u);
    press(20, 20);
    advance(250);
    EXPECT_EQ(background->Fill().SolidColor(), 0xFF404040u);
    release(20, 20);
    advance(250);
    EXPECT_EQ(background->Fill().SolidColor(), 0xFF707070u);
    scene->MouseMove(0, 300, 190);
    advance(250);
    EXPECT_EQ(background->Fill().SolidColor(), 0xFF505050u);
}

TEST_F(ControlsTest, CloseButtonClosesOnlyOnPressAndReleaseOnIt)
{
    auto* close = counted<TvxCloseButton>(290, 5, 20, 20);
    scene->MouseMove(0, 300, 15);
    press(300, 15);
    scene->MouseMove(kHeld, 150, 100);
    release(150, 100);
    EXPECT_EQ(scene->closeRequests, 0) << "released elsewhere";
    EXPECT_EQ(clicks, 0);
    // A later release on it does not finish the press that ended elsewhere.
    scene->MouseMove(0, 300, 15);
    release(300, 15);
    EXPECT_EQ(scene->closeRequests, 0);
    // The press is kept while the pointer leaves and comes back.
    press(300, 15);
    scene->MouseMove(kHeld, 150, 100);
    scene->MouseMove(kHeld, 302, 12);
    release(302, 12);
    EXPECT_EQ(scene->closeRequests, 1);
    EXPECT_EQ(clicks, 1);
    // The edge counts as on it; a right press and release do nothing.
    press(291, 6);
    release(310, 25);
    EXPECT_EQ(scene->closeRequests, 2);
    scene->MouseDown(TvxMouseButton::mbRight, kRightButton, 300, 15);
    scene->MouseUp(TvxMouseButton::mbRight, 0, 300, 15);
    EXPECT_EQ(scene->closeRequests, 2);
    close->SetCloseForm(false);
    press(300, 15);
    release(300, 15);
    EXPECT_EQ(scene->closeRequests, 2);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ControlsTest, ProgressBarIndicatorGeometry)
{
    auto* bar = add<TvxProgressBar>(5, 50, 307, 20);
    bar->SetValue(50);
    frame();
    auto* indicator = dynamic_cast<TvxVisualObject*>(bar->FindResource("hindicator"));
    auto* vertical = dynamic_cast<TvxVisualObject*>(bar->FindResource("vtrack"));
    ASSERT_NE(indicator, nullptr);
    ASSERT_NE(vertical, nullptr);
    EXPECT_FLOAT_EQ(indicator->Width(), 151.5f);
    EXPECT_TRUE(indicator->Visible());
    EXPECT_FALSE(vertical->Visible());
    bar->SetValue(100);
    EXPECT_FLOAT_EQ(indicator->Width(), 303);
    bar->SetValue(0);
    EXPECT_FALSE(indicator->Visible());
    bar->SetValue(50);
    bar->SetMax(0);
    bar->SetValue(70);
    EXPECT_FLOAT_EQ(indicator->Width(), 151.5f);

    bar->SetMax(100);
    bar->SetOrientation(TvxOrientation::vgVertical);
    auto* upright = dynamic_cast<TvxVisualObject*>(bar->FindResource("vindicator"));
    ASSERT_NE(upright, nullptr);
    EXPECT_FALSE(indicator->Visible());
    EXPECT_FLOAT_EQ(upright->Height(), (20 - 4) * 0.7f);
}

}

namespace {

TvxEffect* focusGlow(TvxControl& control)
{
    for (TvxObject* child : control.StyleClone()->Children()) {
        if (auto* effect = dynamic_cast<TvxEffect*>(child))
            return effect;
    }
    return nullptr;
}

TEST_F(ControlsTest, FocusGlowFollowsFocusUnlessSwitchedOff)
{
    auto* save = add<TvxButton>(10, 10, 80, 22);
    auto* other = add<TvxButton>(100, 10, 80, 22);
    frame();
    TvxEffect* glow = focusGlow(*save);
    ASSERT_NE(glow, nullptr);
    EXPECT_FALSE(glow->Enabled());
    save->SetFocus();
    EXPECT_TRUE(glow->Enabled());
    // A style applied while focused starts with the glow.
    save->SetResource("buttonstyle");
    EXPECT_TRUE(focusGlow(*save)->Enabled());
    other->SetFocus();
    EXPECT_FALSE(focusGlow(*save)->Enabled());

    TvxVisualObject::SetGlobalDisableFocusEffect(true);
    save->SetFocus();
    EXPECT_FALSE(focusGlow(*save)->Enabled());
    save->SetResource("buttonstyle");
    EXPECT_FALSE(focusGlow(*save)->Enabled());
    TvxVisualObject::SetGlobalDisableFocusEffect(false);
}

}

namespace {

TEST_F(ControlsTest, SizeGripResizesTheWindow)
{
    auto* grip = add<TvxSizeGrip>(305, 185, 15, 15);
    auto* button = counted<TvxButton>(10, 10, 80, 22);
    ASSERT_NE(grip->StyleClone(), nullptr);
    scene->MouseMove(0, 312, 192);
    press(312, 192);
    EXPECT_TRUE(scene->Resizing());
    scene->MouseMove(kHeld, 332, 202);
    EXPECT_EQ(scene->Width(), 340);
    EXPECT_EQ(scene->Height(), 210);
    release(332, 202);
    EXPECT_FALSE(scene->Resizing());
    // Other controls still get their presses.
    press(20, 20);
    release(20, 20);
    EXPECT_FALSE(scene->Resizing());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->IsPressed());
}

}

TEST_F(ControlsTest, AButtonDraggedAwayLetsGoWithoutClicking)
{
    auto* button = counted<TvxButton>(10, 10, 80, 22);
    button->SetRepeatClick(true);
    button->SetDragMode(TvxDragMode::dmAutomatic);
    press(20, 20);
    EXPECT_TRUE(scene->DraggingObject());
    drag(200, 150);
    release(30, 20);
    EXPECT_FALSE(scene->DraggingObject());
    EXPECT_FALSE(button->IsPressed()) << "the drop ends the press";
    advance(1000);
    EXPECT_EQ(clicks, 0) << "neither the release on it nor the repeat timer clicks";
}
