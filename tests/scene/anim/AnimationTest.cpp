// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/MessageQueue.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/anim/SceneAnimClasses.h"
#include "scene/core/TriggerConditions.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/anim/TvxColorAnimation.h"
#include "scene/anim/TvxFloatAnimation.h"
#include "scene/core/ObjectStream.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxRectangle.h"
#include "tests/support/SceneObjects.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using nimbrell::testing::AddRectangle;

namespace {

using I = TvxInterpolationType;
using A = TvxAnimationType;

// A button's pressed state, raised as a trigger the way controls do.
class TTestButton : public TvxRectangle {
    NIMBRELL_CLASS(TTestButton)
public:
    using TvxRectangle::TvxRectangle;
    bool IsPressed() const { return m_pressed; }
    void SetPressed(bool value)
    {
        m_pressed = value;
        StartTriggerAnimation(this, "IsPressed");
    }

private:
    bool m_pressed { false };
};

NIMBRELL_DEFINE_CLASS(TTestButton, TvxRectangle)
{
    c.Enum("IsPressed", &TTestButton::IsPressed);
}

class AnimationTest : public ::testing::Test {
protected:
    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    std::unique_ptr<TvxCustomScene> scene;
    TvxLayout* root { nullptr };
    TvxRectangle* box { nullptr };

    void SetUp() override
    {
        RegisterSceneShapeClasses();
        RegisterSceneAnimClasses();
        scene = std::make_unique<TvxCustomScene>(200, 200);
        root = new TvxLayout(nullptr);
        scene->AddObject(root);
        box = AddRectangle(root, { 10, 10, 60, 60 }, 0xFF505050);
    }
    void TearDown() override
    {
        root->Free();
        scene.reset();
    }

    // Moves the manual clock and lets the due timer step the animations.
    void advance(std::uint64_t ms)
    {
        backend->AdvanceClock(ms);
        application.ProcessMessages();
    }

    template<typename T = TvxFloatAnimation>
    T* animate(TvxObject* parent, std::string_view property, float duration)
    {
        auto* animation = new T(nullptr);
        animation->SetPropertyName(property);
        animation->SetDuration(duration);
        parent->AddObject(animation);
        return animation;
    }

    TvxFloatAnimation* animateFloat(TvxObject* parent, std::string_view property, float from, float to, float duration,
        I interpolation = I::vgInterpolationLinear, A type = A::vgAnimationIn)
    {
        auto* animation = animate(parent, property, duration);
        animation->SetStartValue(from);
        animation->SetStopValue(to);
        animation->SetInterpolation(interpolation);
        animation->SetAnimationType(type);
        return animation;
    }

    static bool inClock(TvxAnimation* animation)
    {
        TvxAniThread* clock = TvxAniThread::Existing();
        return clock && clock->Contains(animation);
    }
};

}

TEST_F(AnimationTest, PictureSlidesInWithExponentialOutOverTwoSeconds)
{
    auto* slide = animateFloat(box, "Position.x", 50, 0, 2, I::vgInterpolationExponential, A::vgAnimationOut);
    int finished = 0;
    slide->OnFinish.Set([&](TvxObject* sender) {
        EXPECT_EQ(sender, slide);
        ++finished;
    });

    slide->Start();
    EXPECT_EQ(box->Position().X(), 50) << "the run starts at its start value at once";
    EXPECT_TRUE(slide->Running());
    EXPECT_TRUE(slide->Enabled());
    advance(500);
    EXPECT_NEAR(box->Position().X(), 8.838834764831844, 1e-4);
    advance(1000);
    EXPECT_NEAR(box->Position().X(), 0.27621358640099913, 1e-4);
    EXPECT_EQ(finished, 0);
    advance(500);
    EXPECT_EQ(box->Position().X(), 0) << "exactly the stop value at 2 s";
    EXPECT_FALSE(slide->Running());
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(inClock(slide));
    EXPECT_FALSE(TvxAniThread::Instance().Armed()) << "no timer runs while nothing animates";
    EXPECT_TRUE(slide->Enabled()) << "a run that ends by itself leaves Enabled as it was";
}

TEST_F(AnimationTest, ClockStepsByRealElapsedTimeNotByTimerMessages)
{
    auto* move = animateFloat(box, "Position.y", 0, 100, 1);
    move->Start();
    // Many short turns: each due timer message advances by the time that passed.
    for (int i = 0; i < 10; ++i)
        advance(40);
    EXPECT_NEAR(box->Position().Y(), 40, 1e-3);
    advance(10);
    EXPECT_NEAR(box->Position().Y(), 40, 1e-3) << "a timer message is due only every 33 ms";
    advance(30);
    EXPECT_NEAR(box->Position().Y(), 44, 1e-3);
}

TEST_F(AnimationTest, DelayLeavesTheTargetUntouchedThenRunsFromTheStart)
{
    box->Position().SetY(-7);
    auto* move = animateFloat(box, "Position.y", 0, 100, 1);
    move->SetDelay(0.5f);
    move->Start();
    EXPECT_EQ(box->Position().Y(), -7);
    EXPECT_EQ(move->NormalizedTime(), 0);
    advance(300);
    EXPECT_EQ(box->Position().Y(), -7);
    advance(300);
    EXPECT_EQ(box->Position().Y(), -7) << "the step that ends the delay restarts the run and moves nothing";
    EXPECT_EQ(move->DelayTime(), 0);
    EXPECT_EQ(move->CurrentTime(), 0);
    advance(250);
    EXPECT_NEAR(box->Position().Y(), 25, 1e-3);
    advance(750);
    EXPECT_EQ(box->Position().Y(), 100);
    EXPECT_FALSE(move->Running());
}

TEST_F(AnimationTest, StoppingADelayedRunGivesTheEndValue)
{
    auto* move = animateFloat(box, "Position.y", 0, 100, 1);
    move->SetDelay(0.5f);
    move->Start();
    advance(100);
    move->Stop();
    EXPECT_EQ(box->Position().Y(), 100);
}

TEST_F(AnimationTest, LoopRestartsAndAutoReverseBouncesBack)
{
    auto* loop = animateFloat(box, "Position.x", 0, 100, 1);
    loop->SetLoop(true);
    auto* bounce = animateFloat(box, "Position.y", 0, 100, 1);
    bounce->SetLoop(true);
    bounce->SetAutoReverse(true);
    loop->Start();
    bounce->Start();

    advance(400);
    EXPECT_NEAR(box->Position().X(), 40, 1e-3);
    EXPECT_NEAR(box->Position().Y(), 40, 1e-3);
    advance(600);
    EXPECT_EQ(box->Position().X(), 0) << "a loop restarts from the beginning";
    EXPECT_EQ(box->Position().Y(), 100) << "auto-reverse turns at the end";
    EXPECT_TRUE(bounce->Inverse());
    advance(300);
    EXPECT_NEAR(box->Position().X(), 30, 1e-3);
    EXPECT_NEAR(box->Position().Y(), 70, 1e-3);
    advance(700);
    EXPECT_EQ(box->Position().Y(), 0);
    EXPECT_FALSE(bounce->Inverse());
    advance(250);
    EXPECT_NEAR(box->Position().Y(), 25, 1e-3);
    EXPECT_TRUE(loop->Running());
    EXPECT_TRUE(bounce->Running());

    loop->SetPause(true);
    advance(500);
    EXPECT_NEAR(box->Position().X(), 25, 1e-3) << "a paused run stands still";
    loop->SetPause(false);

    loop->Stop();
    EXPECT_EQ(box->Position().X(), 100) << "Stop ends at the stop value";
    EXPECT_FALSE(loop->Running());
    EXPECT_FALSE(loop->Enabled());
}

TEST_F(AnimationTest, InverseRunsFromStopToStartAndStopLeavesTheStartValue)
{
    auto* move = animateFloat(box, "Position.x", 0, 100, 1);
    move->SetInverse(true);
    move->Start();
    EXPECT_EQ(box->Position().X(), 100);
    advance(250);
    EXPECT_NEAR(box->Position().X(), 75, 1e-3);
    move->Stop();
    EXPECT_EQ(box->Position().X(), 0);
}

TEST_F(AnimationTest, StopAtCurrentKeepsTheValue)
{
    auto* move = animateFloat(box, "Position.x", 0, 100, 1);
    int finished = 0;
    move->OnFinish.Set([&](TvxObject*) { ++finished; });
    move->Start();
    advance(250);
    move->StopAtCurrent();
    EXPECT_NEAR(box->Position().X(), 25, 1e-3);
    EXPECT_FALSE(move->Running());
    EXPECT_EQ(finished, 1);
    advance(500);
    EXPECT_NEAR(box->Position().X(), 25, 1e-3);
}

TEST_F(AnimationTest, TinyDurationOrNoSceneCompletesAtOnce)
{
    auto* instant = animateFloat(box, "Position.x", 0, 30, 0.0001f);
    int finished = 0;
    instant->OnFinish.Set([&](TvxObject*) { ++finished; });
    instant->Start();
    EXPECT_EQ(box->Position().X(), 30);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(instant->Running());
    EXPECT_FALSE(instant->Enabled());
    EXPECT_FALSE(inClock(instant));
    EXPECT_FLOAT_EQ(instant->Duration(), 0.0001f);

    instant->SetInverse(true);
    instant->Start();
    EXPECT_EQ(box->Position().X(), 0) << "inverse completion lands on the start value";

    // Outside any scene there is no clock to run on.
    auto* detached = new TvxRectangle(nullptr);
    auto* move = animateFloat(detached, "Opacity", 1, 0.5f, 2);
    move->Start();
    EXPECT_EQ(detached->Opacity(), 0.5f);
    EXPECT_FALSE(move->Running());
    EXPECT_EQ(move->Duration(), 2) << "the stored duration is kept";
    detached->Free();
}

TEST_F(AnimationTest, HiddenParentPreventsStartAndStopsARunAtItsEnd)
{
    auto* move = animateFloat(box, "Position.x", 0, 100, 1);
    box->SetVisible(false);
    move->Start();
    EXPECT_FALSE(move->Running());
    EXPECT_EQ(box->Position().X(), 10);

    box->SetVisible(true);
    move->Start();
    advance(250);
    box->SetVisible(false);
    EXPECT_NEAR(box->Position().X(), 25, 1e-3);
    advance(100);
    EXPECT_EQ(box->Position().X(), 100) << "hiding the parent stops the run at its end value";
    EXPECT_FALSE(move->Running());
}

TEST_F(AnimationTest, EnabledStartsAndStopsAndAnimationsAreStartedByName)
{
    auto* fade = animateFloat(box, "Opacity", 0, 1, 1);
    fade->SetName("FadeIn");
    fade->SetEnabled(true);
    EXPECT_TRUE(fade->Running());
    EXPECT_EQ(box->Opacity(), 0);
    fade->SetEnabled(false);
    EXPECT_FALSE(fade->Running());
    EXPECT_EQ(box->Opacity(), 1);

    box->StartAnimation("fadein");
    EXPECT_TRUE(fade->Running());
    advance(500);
    EXPECT_NEAR(box->Opacity(), 0.5f, 1e-4);
    box->StopAnimation("FADEIN");
    EXPECT_EQ(box->Opacity(), 1);
    EXPECT_FALSE(fade->Running());
}

TEST_F(AnimationTest, BecomingVisibleStartsIsVisibleTriggers)
{
    // The five-day panel: hidden, then shown, fades in and slides down.
    auto* panel = AddRectangle(root, { 0, 0, 100, 100 }, 0x01000000);
    panel->SetVisible(false);
    auto* fade = animateFloat(panel, "Opacity", 0, 1, 0.8f, I::vgInterpolationQuadratic, A::vgAnimationIn);
    fade->SetTrigger("IsVisible=true");
    auto* slide = animateFloat(panel, "Position.y", 0, 120, 0.8f, I::vgInterpolationExponential, A::vgAnimationOut);
    slide->SetTrigger("IsVisible=true");
    auto* other = animateFloat(panel, "Width", 0, 10, 0.8f);
    other->SetTrigger("IsMouseOver=true");

    panel->SetVisible(true);
    EXPECT_TRUE(fade->Running());
    EXPECT_TRUE(slide->Running());
    EXPECT_FALSE(other->Running()) << "a trigger on another property is not started";
    EXPECT_EQ(panel->Opacity(), 0);
    EXPECT_EQ(panel->Position().Y(), 0);
    advance(400);
    EXPECT_NEAR(panel->Opacity(), 0.25f, 1e-4);
    advance(400);
    EXPECT_EQ(panel->Opacity(), 1);
    EXPECT_EQ(panel->Position().Y(), 120);
}

TEST(TriggerConditions, HoldWhenEveryComparedConditionMatches)
{
    TvxRectangle object(nullptr);
    struct Row {
        const char* trigger;
        bool holds;
    } rows[] = {
        { "IsVisible=true", true },
        { "IsVisible=false", false },
        { " isvisible = TRUE ; ", true },
        { "IsVisible=true;IsMouseOver=true", false },
        { "IsVisible=true;IsMouseOver=false", true },
        { "NoSuchProperty=1;IsVisible=true", true },
        { "NoSuchProperty=1", false },
        { "Width=50", false },
        { "IsVisible=true;;IsMouseOver=true", true },
        { "IsVisible", false },
        { "", false },
    };
    for (const Row& row : rows)
        EXPECT_EQ(TriggerConditionsHold(object, row.trigger), row.holds) << row.trigger;
    EXPECT_TRUE(TriggerMentions("IsMouseOver=true;IsPressed=false", "ispressed"));
    EXPECT_FALSE(TriggerMentions("IsMouseOver=true", "IsPressed"));
}

TEST_F(AnimationTest, ColourRunWritesTruncatedChannels)
{
    auto* hover = animate<TvxColorAnimation>(box, "Fill.Color", 1);
    hover->SetStartValue("#FF505050");
    hover->SetStopValue("#ff707070");
    EXPECT_EQ(hover->StopValue(), "#FF707070");
    hover->Start();
    EXPECT_EQ(box->Fill().Color(), "#FF505050");
    advance(300);
    EXPECT_EQ(box->Fill().Color(), "#FF595959");
    advance(200);
    EXPECT_EQ(box->Fill().Color(), "#FF606060");
    advance(500);
    EXPECT_EQ(box->Fill().SolidColor(), 0xFF707070u);
}

TEST_F(AnimationTest, HoverInAndOutRunForwardsAndBackwards)
{
    auto* hover = animate<TvxColorAnimation>(box, "Fill.Color", 1);
    hover->SetStartValue("#FF505050");
    hover->SetStopValue("#FF707070");
    hover->SetTrigger("IsMouseOver=true");
    hover->SetTriggerInverse("IsMouseOver=false");

    scene->MouseMove(0, 20, 20);
    ASSERT_TRUE(box->IsMouseOver());
    EXPECT_TRUE(hover->Running());
    EXPECT_FALSE(hover->Inverse());
    advance(500);
    EXPECT_EQ(box->Fill().Color(), "#FF606060");

    // Leaving mid-fade: the fade-in jumps to its end, then the fade-back starts there.
    scene->MouseMove(0, 150, 150);
    ASSERT_FALSE(box->IsMouseOver());
    EXPECT_TRUE(hover->Inverse());
    EXPECT_EQ(box->Fill().Color(), "#FF707070");
    advance(1000);
    EXPECT_EQ(box->Fill().Color(), "#FF505050");
    EXPECT_FALSE(hover->Running());
}

TEST_F(AnimationTest, ForwardTriggerOnlyKeepsTheStoredInverse)
{
    auto* back = animate<TvxColorAnimation>(box, "Fill.Color", 1);
    back->SetStartValue("#FF505050");
    back->SetStopValue("#FF707070");
    back->SetInverse(true);
    back->SetTrigger("NoSuchProperty=x;IsMouseOver=true");
    back->StartTrigger(box, "IsMouseOver");
    EXPECT_FALSE(back->Running()) << "the mouse is not over the box";
    scene->MouseMove(0, 20, 20);
    EXPECT_TRUE(back->Running());
    EXPECT_TRUE(back->Inverse());
    EXPECT_EQ(box->Fill().Color(), "#FF707070");
}

TEST_F(AnimationTest, ParentPathTargetsTheControlAStyleIsAppliedTo)
{
    // A control holding its style root, a locked part that takes no hits.
    auto* control = AddRectangle(root, { 0, 0, 100, 100 }, 0xFF000000);
    auto* styleRoot = new TvxLayout(nullptr);
    styleRoot->SetLocked(true);
    styleRoot->SetHitTest(false);
    control->AddObject(styleRoot);
    auto* open = animateFloat(styleRoot, "Parent.Opacity", 0, 1, 0.1f);
    open->SetTrigger("IsOpen=true");
    auto* fade = animateFloat(styleRoot, " Parent . Opacity ", 1, 0.5f, 0.1f);
    fade->SetTrigger("IsVisible=true");

    control->StartTriggerAnimation(control, "IsVisible");
    EXPECT_TRUE(fade->Running()) << "the trigger walk enters the style root";
    EXPECT_EQ(control->Opacity(), 1);
    EXPECT_EQ(styleRoot->Opacity(), 1);
    advance(100);
    EXPECT_EQ(control->Opacity(), 0.5f);
    EXPECT_EQ(styleRoot->Opacity(), 1);
    EXPECT_FALSE(open->Running()) << "a condition on a property the control lacks is no condition";
}

TEST_F(AnimationTest, MovedAnimationTargetsItsNewParent)
{
    auto* other = AddRectangle(root, { 100, 100, 20, 20 }, 0xFF000000);
    auto* colour = animate<TvxColorAnimation>(box, "Fill.Color", 0.0001f);
    colour->SetStopValue("#FF123456");
    colour->Start();
    EXPECT_EQ(box->Fill().Color(), "#FF123456");
    other->AddObject(colour);
    colour->SetStopValue("#FF654321");
    colour->Start();
    EXPECT_EQ(other->Fill().Color(), "#FF654321");
    EXPECT_EQ(box->Fill().Color(), "#FF123456");
}

TEST_F(AnimationTest, WrongKindsAndUnknownPathsWriteNothing)
{
    auto* text = animateFloat(box, "Hint", 0, 1, 0.5f);
    auto* unknown = animateFloat(box, "Nothing.Width", 0, 7, 0.5f);
    auto* colourOnFloat = animate<TvxColorAnimation>(box, "Opacity", 0.5f);
    box->SetHint("kept");
    text->Start();
    unknown->Start();
    colourOnFloat->Start();
    advance(500);
    EXPECT_EQ(box->Hint(), "kept");
    EXPECT_EQ(box->Width(), 7) << "an unknown segment is dropped: the path names the parent's Width";
    EXPECT_EQ(box->Opacity(), 1);
}

TEST_F(AnimationTest, StartFromCurrentTakesTheStartValueFromTheProperty)
{
    box->Position().SetX(40);
    auto* move = animateFloat(box, "Position.x", 0, 100, 1);
    move->SetStartFromCurrent(true);
    move->Start();
    EXPECT_EQ(move->StartValue(), 40);
    advance(500);
    EXPECT_NEAR(box->Position().X(), 70, 1e-3);

    auto* colour = animate<TvxColorAnimation>(box, "Fill.Color", 1);
    colour->SetStartFromCurrent(true);
    colour->Start();
    EXPECT_EQ(colour->StartValue(), "#FF505050");
}

TEST_F(AnimationTest, RunsEndingInOneStepDoNotHideTheirNeighbours)
{
    auto* first = animateFloat(box, "Position.x", 0, 10, 1);
    auto* second = animateFloat(box, "Position.y", 0, 10, 0.5f);
    auto* third = animateFloat(box, "Width", 0, 10, 0.5f);
    auto* fourth = animateFloat(box, "Height", 0, 10, 1);
    // The last entry's finish frees two entries below it.
    third->OnFinish.Set([&](TvxObject*) {
        second->Free();
        fourth->Free();
    });
    first->Start();
    second->Start();
    third->Start();
    fourth->Start();
    advance(500);
    EXPECT_EQ(box->Width(), 10);
    EXPECT_NEAR(box->Position().X(), 5, 1e-4) << "the walk still reaches the first entry";
    EXPECT_EQ(TvxAniThread::Instance().Animations(), (std::vector<TvxAnimation*> { first }));
    advance(500);
    EXPECT_EQ(box->Position().X(), 10);
}

TEST_F(AnimationTest, CaretAnimationAdvancesOnEveryThirdStep)
{
    auto* caret = animateFloat(box, "Position.x", 0, 10, 10);
    caret->SetBindingName("Caret");
    caret->Start();
    advance(100);
    advance(100);
    EXPECT_EQ(box->Position().X(), 0);
    advance(100);
    EXPECT_NEAR(box->Position().X(), 0.1f, 1e-5);
}

TEST_F(AnimationTest, StartTriggerAnimationWaitReturnsWhenTheRunHasEnded)
{
    // A window that moves the manual clock on while the wait runs the message loop; each
    // step of the run asks for the next move.
    struct Ticker : platform::MessageTarget {
        platform::HeadlessBackend* backend { nullptr };
        void WindowProc(platform::Message&) override { backend->AdvanceClock(50); }
    } ticker;
    ticker.backend = backend;
    platform::HWND handle = platform::RegisterWindow(ticker);

    auto* fade = animateFloat(box, "Opacity", 1, 0, 0.5f);
    fade->SetTrigger("IsOpen=false;IsVisible=true");
    int steps = 0;
    fade->OnProcess.Set([&](TvxObject*) {
        if (++steps > 100)
            application.Terminate();
        platform::PostMessage(handle, 0x0400, 0, 0);
    });
    platform::PostMessage(handle, 0x0400, 0, 0);
    box->StartTriggerAnimationWait(box, "IsVisible");
    EXPECT_FALSE(application.Terminated());
    EXPECT_FALSE(fade->Running());
    EXPECT_EQ(box->Opacity(), 0);
    EXPECT_EQ(steps, 10);
    platform::UnregisterWindow(handle);
}

TEST_F(AnimationTest, AnimationsRoundTripThroughStreams)
{
    auto* slide = animateFloat(box, "Position.x", 50, 0, 2, I::vgInterpolationExponential, A::vgAnimationOut);
    slide->SetName("FloatAnimation1");
    slide->SetDelay(0.25f);
    slide->SetLoop(true);
    slide->SetAutoReverse(true);
    slide->SetHideOnFinish(true);
    slide->SetTrigger("IsMouseOver=true;IsPressed=false");
    slide->SetTriggerInverse("IsMouseOver=false");
    slide->SetStartFromCurrent(true);
    auto* colour = animate<TvxColorAnimation>(box, "Fill.Color", 0.2f);
    colour->SetName("ColorAnimation1");
    colour->SetStartValue("#FF505050");
    colour->SetInverse(true);
    auto* plain = animate(box, "Opacity", 0.2f);
    plain->SetName("FloatAnimation2");

    std::string text;
    box->SaveToStream(text);
    EXPECT_NE(text.find("Interpolation = vgInterpolationExponential"), std::string::npos) << text;
    EXPECT_NE(text.find("StartValue = '#FF505050'"), std::string::npos) << text;
    EXPECT_NE(text.find("StopValue = '#FFFFFFFF'"), std::string::npos) << text;
    // Defaults stay out of the plain animation's record.
    std::string plainRecord = text.substr(text.find("FloatAnimation2"));
    plainRecord = plainRecord.substr(0, plainRecord.find("end"));
    for (const char* absent : { "Loop", "Inverse", "Enabled", "AnimationType", "Interpolation", "StartValue", "Running", "Pause" })
        EXPECT_EQ(plainRecord.find(absent), std::string::npos) << absent << " in " << plainRecord;

    std::vector<std::uint8_t> binary;
    box->SaveToBinStream(binary);
    auto* copy = new TvxRectangle(nullptr);
    root->AddObject(copy);
    ReadObjectStream(binary, *copy);
    std::string copyText;
    copy->SaveToStream(copyText);
    EXPECT_EQ(copyText, text);

    ASSERT_EQ(copy->ChildrenCount(), 3);
    auto* slideCopy = dynamic_cast<TvxFloatAnimation*>(copy->Child(0));
    ASSERT_NE(slideCopy, nullptr);
    EXPECT_EQ(slideCopy->Interpolation(), I::vgInterpolationExponential);
    EXPECT_EQ(slideCopy->AnimationType(), A::vgAnimationOut);
    EXPECT_EQ(slideCopy->Duration(), 2);
    EXPECT_EQ(slideCopy->Delay(), 0.25f);
    EXPECT_EQ(slideCopy->StartValue(), 50);
    EXPECT_EQ(slideCopy->PropertyName(), "Position.x");
    EXPECT_TRUE(slideCopy->Loop() && slideCopy->AutoReverse() && slideCopy->HideOnFinish() && slideCopy->StartFromCurrent());
    EXPECT_EQ(slideCopy->TriggerInverse(), "IsMouseOver=false");
    auto* colourCopy = dynamic_cast<TvxColorAnimation*>(copy->Child(1));
    ASSERT_NE(colourCopy, nullptr);
    EXPECT_EQ(colourCopy->StartColor(), 0xFF505050u);
    EXPECT_TRUE(colourCopy->Inverse());
}

TEST_F(AnimationTest, EnabledInAStreamStartsTheAnimationOnceLoaded)
{
    auto* fade = animateFloat(box, "Opacity", 0, 1, 1);
    fade->SetEnabled(true);
    std::vector<std::uint8_t> binary;
    box->SaveToBinStream(binary);
    fade->Stop();

    auto* copy = new TvxRectangle(nullptr);
    root->AddObject(copy);
    ReadObjectStream(binary, *copy);
    auto* loaded = dynamic_cast<TvxFloatAnimation*>(copy->Child(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->Running());
    EXPECT_EQ(copy->Opacity(), 0);
    advance(1000);
    EXPECT_EQ(copy->Opacity(), 1);
}

TEST_F(AnimationTest, TargetInAFreedObjectIsForgotten)
{
    auto* control = AddRectangle(root, { 0, 0, 100, 100 }, 0xFF000000);
    auto* styleRoot = new TvxLayout(nullptr);
    control->AddObject(styleRoot);
    auto* colour = animate<TvxColorAnimation>(styleRoot, "Parent.Fill.Color", 0.0001f);
    colour->SetStopValue("#FF123456");
    colour->Start();
    EXPECT_EQ(control->Fill().Color(), "#FF123456");

    // The style root outlives the control it was taken out of.
    control->RemoveObject(styleRoot);
    control->Free();
    EXPECT_FALSE(colour->Target().Resolved());
    colour->Start();
    EXPECT_FALSE(colour->Target().Resolved()) << "without a grandparent the path reaches nothing";
    styleRoot->Free();
}

TEST_F(AnimationTest, HoverAndPressAnimationsOfAButtonStyle)
{
    auto* button = new TTestButton(nullptr);
    button->SetBounds(100, 100, 60, 30);
    root->AddObject(button);
    auto* background = AddRectangle(button, { 0, 0, 60, 30 }, 0xFF505050);
    background->SetLocked(true);
    background->SetHitTest(false);
    auto colour = [&](const char* from, const char* to, bool inverse, const char* trigger) {
        auto* animation = animate<TvxColorAnimation>(background, "Fill.Color", 0.2f);
        animation->SetStartValue(from);
        animation->SetStopValue(to);
        animation->SetInverse(inverse);
        animation->SetTrigger(trigger);
        return animation;
    };
    auto* hoverIn = colour("#FF505050", "#FF707070", false, "IsMouseOver=true;IsPressed=false");
    auto* hoverOut = colour("#FF505050", "#FF707070", true, "IsMouseOver=false;IsPressed=false");
    auto* pressedOut = colour("#FF404040", "#FF707070", true, "IsMouseOver=false;IsPressed=true");
    auto* press = colour("#FF707070", "#FF404040", false, "IsMouseOver=true;IsPressed=true");
    auto running = [&] {
        std::string result;
        for (auto* animation : { hoverIn, hoverOut, pressedOut, press })
            result += animation->Running() ? "1" : "0";
        return result;
    };

    scene->MouseMove(0, 110, 110);
    EXPECT_EQ(running(), "1000") << "entering an unpressed button";
    advance(200);
    EXPECT_EQ(background->Fill().Color(), "#FF707070");

    button->SetPressed(true);
    EXPECT_EQ(running(), "0001") << "a change of IsPressed re-evaluates the hover conditions too";
    advance(100);
    EXPECT_EQ(background->Fill().Color(), "#FF585858");

    int pressFinished = 0;
    press->OnFinish.Set([&](TvxObject*) { ++pressFinished; });
    scene->MouseMove(0, 10, 10);
    EXPECT_EQ(pressFinished, 1) << "the running press fade is ended first";
    EXPECT_EQ(running(), "0010");
    EXPECT_EQ(background->Fill().Color(), "#FF707070") << "the inverse run starts at its stop value";
    advance(200);
    EXPECT_EQ(background->Fill().Color(), "#FF404040");

    scene->MouseMove(0, 110, 110);
    EXPECT_EQ(running(), "0001") << "entering a pressed button does not start the hover fade";
}
