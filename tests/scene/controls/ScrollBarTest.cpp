// Scroll bars with the stored small style: value rules, the thumb's place and
// size, dragging it and pressing the track.

#include "tests/scene/controls/ControlScene.h"

#include "scene/controls/TvxScrollBar.h"

using namespace nimbrell;
using nimbrell::testing::ControlScene;

namespace {

class ScrollBarTest : public ControlScene {
protected:
    TvxSmallScrollBar* bar { nullptr };
    int changes { 0 };

    void SetUp() override
    {
        ControlScene::SetUp();
        bar = add<TvxSmallScrollBar>(100, 20, 8, 104);
        bar->SetOrientation(TvxOrientation::vgVertical);
        bar->SetMax(646);
        bar->SetViewportSize(104);
        bar->SetSmallChange(104.0f / 5);
        bar->OnChange.Set([this](TvxObject*) { ++changes; });
        frame();
    }

    TvxVisualObject* thumb()
    {
        auto* track = dynamic_cast<TvxControl*>(bar->FindResource("vtrack"));
        return track ? dynamic_cast<TvxVisualObject*>(track->FindResource("thumb")) : nullptr;
    }
};

}

TEST_F(ScrollBarTest, ValueAboveMaxLessViewportIsStoredAsThat)
{
    bar->SetValue(600);
    EXPECT_EQ(bar->Value(), 542);
    EXPECT_EQ(changes, 1);
    bar->SetValue(542);
    EXPECT_EQ(changes, 1) << "an unchanged value fires nothing";
    bar->SetMax(300);
    EXPECT_EQ(bar->Value(), 196) << "a lower Max pulls the value along";
    EXPECT_EQ(changes, 2);
}

TEST_F(ScrollBarTest, ThumbFollowsTheValue)
{
    auto* knob = thumb();
    ASSERT_NE(knob, nullptr);
    auto* htrack = dynamic_cast<TvxVisualObject*>(bar->FindResource("htrack"));
    ASSERT_NE(htrack, nullptr);
    EXPECT_FALSE(htrack->Visible()) << "only the track of the bar's orientation shows";
    EXPECT_NEAR(knob->Height(), 104.0f * 104 / 646, 0.01);
    EXPECT_EQ(knob->Position().Y(), 0);
    bar->SetValue(542);
    EXPECT_NEAR(knob->Position().Y() + knob->Height(), 104, 0.5) << "at the end of its range the thumb ends the track";
    bar->SetValue(100);
    EXPECT_EQ(knob->Position().Y(), 16) << "round(100 / 646 × 104)";
}

TEST_F(ScrollBarTest, DraggingTheThumbAndPressingTheTrack)
{
    auto* knob = thumb();
    ASSERT_NE(knob, nullptr);
    TvxRect rect = knob->AbsoluteRect();
    float x = (rect.Left + rect.Right) / 2;
    float y = rect.Top + 5;
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, y);
    scene->MouseMove(kLeftButton, x, y + 20);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, x, y + 20);
    EXPECT_NEAR(bar->Value(), 20.0f / 104 * 646, 0.01);

    float before = bar->Value();
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, 20 + 100);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, x, 20 + 100);
    EXPECT_NEAR(bar->Value(), before + 104, 0.01) << "a press below the thumb pages down";
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, 21);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, x, 21);
    EXPECT_NEAR(bar->Value(), before, 0.01) << "a press above pages up";
}
