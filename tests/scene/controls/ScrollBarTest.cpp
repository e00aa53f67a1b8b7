// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

// The full bar: step buttons at both ends of the track.
class FullScrollBarTest : public ControlScene {
protected:
    TvxScrollBar* bar(TvxOrientation orientation, float width, float height)
    {
        auto* made = add<TvxScrollBar>(10, 10, width, height);
        made->SetOrientation(orientation);
        made->SetMax(100);
        made->SetViewportSize(20);
        made->SetSmallChange(5);
        frame();
        return made;
    }
    template<typename T = TvxVisualObject>
    T* part(TvxScrollBar* of, const char* name) { return dynamic_cast<T*>(of->FindResource(name)); }
    void clickOn(TvxVisualObject* object)
    {
        TvxRect rect = object->AbsoluteRect();
        float x = (rect.Left + rect.Right) / 2, y = (rect.Top + rect.Bottom) / 2;
        scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, y);
        scene->MouseUp(TvxMouseButton::mbLeft, 0, x, y);
    }
};

}

TEST_F(FullScrollBarTest, StepButtonsMoveBySmallChangeWithinTheRange)
{
    struct Case {
        TvxOrientation orientation;
        float width, height;
        const char *back, *forward, *hiddenBack, *hiddenForward;
    };
    const Case cases[] = {
        { TvxOrientation::vgVertical, 16, 120, "topbutton", "bottombutton", "leftbutton", "rightbutton" },
        { TvxOrientation::vgHorizontal, 120, 16, "leftbutton", "rightbutton", "topbutton", "bottombutton" },
    };
    for (const Case& c : cases) {
        TvxScrollBar* made = bar(c.orientation, c.width, c.height);
        auto* back = part(made, c.back);
        auto* forward = part(made, c.forward);
        ASSERT_TRUE(back && forward);
        EXPECT_TRUE(back->Visible() && forward->Visible());
        EXPECT_FALSE(part(made, c.hiddenBack)->Visible());
        EXPECT_FALSE(part(made, c.hiddenForward)->Visible());
        clickOn(forward);
        clickOn(forward);
        EXPECT_EQ(made->Value(), 10);
        clickOn(back);
        EXPECT_EQ(made->Value(), 5);
        made->SetValue(78);
        clickOn(forward);
        EXPECT_EQ(made->Value(), 80) << "not past Max - ViewportSize";

        // The track lies between the buttons and its thumb shows the viewport's share.
        auto* track = part<TvxControl>(made, c.orientation == TvxOrientation::vgVertical ? "vtrack" : "htrack");
        ASSERT_NE(track, nullptr);
        TvxRect trackRect = track->AbsoluteRect(), backRect = back->AbsoluteRect(), forwardRect = forward->AbsoluteRect();
        if (c.orientation == TvxOrientation::vgVertical) {
            EXPECT_GE(trackRect.Top, backRect.Bottom - 0.5f);
            EXPECT_LE(trackRect.Bottom, forwardRect.Top + 0.5f);
        } else {
            EXPECT_GE(trackRect.Left, backRect.Right - 0.5f);
            EXPECT_LE(trackRect.Right, forwardRect.Left + 0.5f);
        }
        auto* knob = dynamic_cast<TvxVisualObject*>(track->FindResource("thumb"));
        ASSERT_NE(knob, nullptr);
        TvxRect knobRect = knob->AbsoluteRect();
        bool vertical = c.orientation == TvxOrientation::vgVertical;
        EXPECT_NEAR(vertical ? knobRect.Bottom : knobRect.Right, (vertical ? trackRect.Bottom : trackRect.Right) - 2, 1)
            << "at the end of the range the thumb ends the track, inside its padding";
        made->Free();
    }
}
