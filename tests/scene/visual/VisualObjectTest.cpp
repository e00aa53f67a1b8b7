// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/visual/TvxVisualObject.h"
#include "tests/scene/core/FakeSceneHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace nimbrell {
namespace {

using test::FakeSceneHost;

// An animation that records the triggers it was started with.
class RecordingAnimation : public TvxObject, public IAnimationRole {
public:
    using TvxObject::TvxObject;
    void Start() override { }
    void Stop() override { }
    bool HasTrigger() const override { return true; }
    void StartTrigger(TvxObject* instance, std::string_view trigger) override
    {
        started.push_back(std::string(trigger) + (instance ? "" : " (no instance)"));
    }
    void StartTriggerWait(TvxObject* instance, std::string_view trigger) override { StartTrigger(instance, trigger); }
    IAnimationRole* AsAnimation() override { return this; }
    std::vector<std::string> started;
};

class VisualObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = new TvxVisualObject(nullptr);
        root->SetName("root");
        scene.AddObject(root);
    }
    void TearDown() override { root->Free(); }

    TvxVisualObject* Add(TvxVisualObject* parent, float x, float y, float w, float h, TvxAlign align = TvxAlign::vaNone)
    {
        auto* child = new TvxVisualObject(nullptr);
        child->SetBounds(x, y, w, h);
        parent->AddObject(child);
        child->SetAlign(align);
        return child;
    }

    static TvxRect Bounds(TvxVisualObject* o)
    {
        return { o->Position().X(), o->Position().Y(), o->Position().X() + o->Width(), o->Position().Y() + o->Height() };
    }

    FakeSceneHost scene;
    TvxVisualObject* root { nullptr };
};

TEST(MatrixTest, ConventionsAndInverse)
{
    TvxMatrix a = TvxMatrix::Translation(10, 0);
    TvxMatrix b = TvxMatrix::Scaling(2, 2);
    // A·B applies A first.
    EXPECT_EQ((a * b).MapPoint({ 1, 1 }), (TvxPoint { 22, 2 }));
    EXPECT_EQ((b * a).MapPoint({ 1, 1 }), (TvxPoint { 12, 2 }));
    TvxPoint r = TvxMatrix::Rotation(90).MapPoint({ 1, 0 });
    EXPECT_NEAR(r.X, 0, 1e-6);
    EXPECT_NEAR(r.Y, 1, 1e-6);
    TvxPoint back = (a * b).Inverse().MapPoint({ 22, 2 });
    EXPECT_NEAR(back.X, 1, 1e-6);
    EXPECT_NEAR(back.Y, 1, 1e-6);
    EXPECT_EQ(TvxMatrix::Scaling(1e-21f, 1e-21f).Inverse(), TvxMatrix::Identity());
    EXPECT_EQ(a.MapVector({ 1, 1 }), (TvxPoint { 1, 1 }));
}

TEST_F(VisualObjectTest, LocalMatrixRotatesAboutTheCentreThenScalesAndMoves)
{
    TvxVisualObject* o = Add(root, 10, 20, 100, 50);
    o->Scale().SetPoint({ 2, 2 });
    o->SetRotateAngle(90);
    // The centre (50, 25) stays in place under the rotation, then is scaled and moved.
    TvxPoint centre = o->LocalToAbsolute({ 50, 25 });
    EXPECT_NEAR(centre.X, 110, 1e-4);
    EXPECT_NEAR(centre.Y, 70, 1e-4);
    TvxPoint local = o->AbsoluteToLocal(centre);
    EXPECT_NEAR(local.X, 50, 1e-4);

    o->SetRotateAngle(-540);
    EXPECT_FLOAT_EQ(o->RotateAngle(), -180);
    o->SetRotateAngle(-200);
    EXPECT_FLOAT_EQ(o->RotateAngle(), 160);
}

TEST_F(VisualObjectTest, ChangesNotifyOnlyWhenRealAndRepaintOldAndNewArea)
{
    TvxVisualObject* o = Add(root, 0, 0, 10, 10);
    (void)o->UpdateRect();
    scene.updates.clear();
    o->Position().SetPoint({ 0, 0 });
    o->SetWidth(10);
    o->Margins().SetRect({});
    o->Velocity().SetPoint({ 25, -7 });
    EXPECT_TRUE(scene.updates.empty()) << "Velocity has no effect";
    EXPECT_EQ(o->AbsoluteRect(), (TvxRect { 0, 0, 10, 10 }));
    o->Position().SetX(30);
    ASSERT_GE(scene.updates.size(), 2u);
    EXPECT_EQ(scene.updates.front(), (TvxRect { 0, 0, 10, 10 }));
    EXPECT_EQ(scene.updates.back(), (TvxRect { 30, 0, 40, 10 }));
    // A parent that does not clip includes the child in its update rectangle.
    EXPECT_EQ(root->UpdateRect().Right, 50);
}

TEST_F(VisualObjectTest, ContainerNarrowerThanTwoNeverLaysOut)
{
    root->SetBounds(0, 0, 1.5f, 300);
    TvxVisualObject* child = Add(root, 5, 5, 20, 20, TvxAlign::vaClient);
    EXPECT_EQ(Bounds(child), (TvxRect { 5, 5, 25, 25 }));
    root->SetWidth(-1.9f);
    root->Realign();
    EXPECT_EQ(Bounds(child), (TvxRect { 5, 5, 25, 25 }));
    root->SetWidth(2);
    EXPECT_EQ(Bounds(child), (TvxRect { 0, 0, 2, 300 }));
}

TEST_F(VisualObjectTest, TopChildrenStackByYWhateverTheirOrder)
{
    root->SetBounds(0, 0, 200, 200);
    for (bool lowerFirst : { true, false }) {
        // Both are in place before the layout runs, as after loading.
        root->BeginUpdate();
        TvxVisualObject* lower = nullptr;
        TvxVisualObject* upper = nullptr;
        if (lowerFirst)
            lower = Add(root, 70, 20, 50, 30, TvxAlign::vaTop);
        upper = Add(root, 90, 0, 50, 40, TvxAlign::vaTop);
        if (!lowerFirst)
            lower = Add(root, 70, 20, 50, 30, TvxAlign::vaTop);
        root->EndUpdate();
        EXPECT_EQ(Bounds(upper), (TvxRect { 0, 0, 200, 40 })) << lowerFirst;
        EXPECT_EQ(Bounds(lower), (TvxRect { 0, 40, 200, 70 })) << lowerFirst;
        lower->Free();
        upper->Free();
    }
}

TEST_F(VisualObjectTest, ClientWithPaddingTakesWhatRemains)
{
    root->SetBounds(0, 0, 361, 455);
    TvxVisualObject* child = Add(root, 0, 0, 10, 10);
    child->Padding().SetRect({ 10, 10, 19, 18 });
    child->SetAlign(TvxAlign::vaClient);
    EXPECT_EQ(Bounds(child), (TvxRect { 10, 10, 342, 437 }));
    EXPECT_EQ(child->Width(), 332);
    EXPECT_EQ(child->Height(), 427);
}

TEST_F(VisualObjectTest, CenterUsesTheRemainderAndContentsIgnoresMarginsAndSiblings)
{
    root->SetBounds(0, 0, 300, 200);
    root->Margins().SetRect({ 5, 5, 5, 5 });
    Add(root, 0, 0, 100, 50, TvxAlign::vaTop); // R: (5, 55, 295, 195)
    Add(root, 0, 0, 90, 10, TvxAlign::vaLeft); // R: (95, 55, 295, 195)
    TvxVisualObject* centred = Add(root, 0, 0, 41, 21, TvxAlign::vaCenter);
    // x = 95 + trunc((200 − 41) / 2) = 174, y = 55 + trunc((140 − 21) / 2) = 114.
    EXPECT_EQ(Bounds(centred), (TvxRect { 174, 114, 215, 135 }));
    TvxVisualObject* contents = Add(root, 7, 7, 1, 1);
    contents->Padding().SetRect({ 1, 2, 3, 4 });
    contents->SetAlign(TvxAlign::vaContents);
    EXPECT_EQ(Bounds(contents), (TvxRect { 1, 2, 297, 196 }));
}

TEST_F(VisualObjectTest, FitScalesIntoTheMarginArea)
{
    struct Case {
        TvxAlign align;
        TvxRect child;
        TvxRect expected;
    } cases[] = {
        { TvxAlign::vaFit, { 0, 0, 100, 50 }, { 0, 100, 400, 300 } },
        { TvxAlign::vaFit, { 0, 0, 800, 400 }, { 0, 100, 400, 300 } },
        { TvxAlign::vaFitLeft, { 0, 0, 50, 100 }, { 0, 0, 200, 400 } },
        { TvxAlign::vaFitRight, { 0, 0, 50, 100 }, { 200, 0, 400, 400 } }
    };
    root->SetBounds(0, 0, 400, 400);
    for (const Case& c : cases) {
        TvxVisualObject* child = Add(root, c.child.Left, c.child.Top, c.child.Width(), c.child.Height(), c.align);
        EXPECT_EQ(Bounds(child), c.expected) << static_cast<int>(c.align);
        child->Free();
    }
}

TEST_F(VisualObjectTest, EdgesAndRightBottomAlignment)
{
    root->SetBounds(0, 0, 100, 100);
    root->BeginUpdate();
    TvxVisualObject* a = Add(root, 0, 0, 20, 10, TvxAlign::vaBottom);
    TvxVisualObject* b = Add(root, 0, 50, 20, 10, TvxAlign::vaBottom);
    TvxVisualObject* r = Add(root, 0, 0, 30, 10, TvxAlign::vaRight);
    root->EndUpdate();
    // The lowest bottom edge goes first, at the very bottom.
    EXPECT_EQ(Bounds(b), (TvxRect { 0, 90, 100, 100 }));
    EXPECT_EQ(Bounds(a), (TvxRect { 0, 80, 100, 90 }));
    EXPECT_EQ(Bounds(r), (TvxRect { 70, 0, 100, 80 }));
    TvxVisualObject* corner = Add(root, 60, 5, 10, 10, TvxAlign::vaTopRight);
    root->SetWidth(150);
    EXPECT_EQ(corner->Position().X(), 110);
}

TEST_F(VisualObjectTest, HitTestingExcludesEdgesWhileReleaseOnTheEdgeClicks)
{
    root->SetBounds(0, 0, 100, 100);
    root->SetHitTest(false);
    TvxVisualObject* button = Add(root, 10, 10, 20, 20);
    EXPECT_EQ(root->ObjectByPoint(10, 15), nullptr);
    EXPECT_EQ(root->ObjectByPoint(15, 10), nullptr);
    EXPECT_EQ(root->ObjectByPoint(10.5f, 15), button);
    TvxVisualObject* top = Add(button, 0, 0, 10, 10);
    EXPECT_EQ(root->ObjectByPoint(15, 15), top);
    top->SetVisible(false);
    EXPECT_EQ(root->ObjectByPoint(15, 15), button);

    int clicks = 0;
    button->OnClick.Set([&](TvxObject*) { ++clicks; });
    button->MouseDown(TvxMouseButton::mbLeft, 0, 5, 5);
    button->MouseUp(TvxMouseButton::mbLeft, 0, 0, 20);
    EXPECT_EQ(clicks, 1);
    button->MouseDown(TvxMouseButton::mbLeft, 0, 5, 5);
    button->MouseUp(TvxMouseButton::mbLeft, 0, 20.5f, 5);
    EXPECT_EQ(clicks, 1);
    // A double click does not also click.
    button->MouseDown(TvxMouseButton::mbLeft, kDoubleClick, 5, 5);
    button->MouseUp(TvxMouseButton::mbLeft, 0, 5, 5);
    EXPECT_EQ(clicks, 1);
}

TEST_F(VisualObjectTest, DisabledObjectsAreDimmedBelowTheRootsChildren)
{
    TvxVisualObject* group = Add(root, 0, 0, 50, 50);
    TvxVisualObject* item = Add(group, 0, 0, 50, 50);
    TvxVisualObject* inner = Add(item, 0, 0, 50, 50);
    group->SetEnabled(false);
    EXPECT_FLOAT_EQ(group->AbsoluteOpacity(), 1);
    item->SetEnabled(false);
    group->SetEnabled(true);
    inner->SetEnabled(false);
    EXPECT_FLOAT_EQ(item->AbsoluteOpacity(), 0.8f);
    EXPECT_FLOAT_EQ(inner->AbsoluteOpacity(), 0.64f);
    item->SetOpacity(2);
    EXPECT_FLOAT_EQ(item->Opacity(), 1);
    item->SetOpacity(0.5f);
    EXPECT_FLOAT_EQ(inner->AbsoluteOpacity(), 0.5f * 0.64f);
    item->SetEnabled(true);
    EXPECT_FLOAT_EQ(inner->AbsoluteOpacity(), 0.5f * 0.8f);
}

TEST_F(VisualObjectTest, StateChangesStartTriggerAnimations)
{
    TvxVisualObject* panel = Add(root, 0, 0, 50, 50);
    auto* animation = new RecordingAnimation(nullptr);
    panel->AddObject(animation);
    panel->SetVisible(false);
    EXPECT_TRUE(animation->started.empty());
    panel->SetVisible(true);
    panel->DoMouseEnter();
    EXPECT_TRUE(panel->IsMouseOver());
    panel->MouseLeave();
    EXPECT_FALSE(panel->IsMouseOver());
    EXPECT_EQ(animation->started, (std::vector<std::string> { "IsVisible", "IsMouseOver", "IsMouseOver" }));

    // Trigger walks descend into locked parts that take no hits, and only into those.
    TvxVisualObject* part = Add(panel, 0, 0, 10, 10);
    auto* inner = new RecordingAnimation(nullptr);
    part->AddObject(inner);
    panel->DoMouseEnter();
    EXPECT_TRUE(inner->started.empty());
    part->SetLocked(true);
    part->SetHitTest(false);
    panel->DoMouseEnter();
    EXPECT_EQ(inner->started, (std::vector<std::string> { "IsMouseOver" }));

    panel->SetCanFocused(true);
    panel->SetFocus();
    EXPECT_EQ(scene.focused, panel);
    panel->DoEnterFocus();
    EXPECT_TRUE(panel->IsFocused());
    EXPECT_EQ(animation->started.back(), "IsFocused");
    // A focused object's update rectangle grows by 5.
    EXPECT_EQ(panel->UpdateRect(), (TvxRect { -5, -5, 55, 55 }));
}

TEST_F(VisualObjectTest, InputNotifications)
{
    TvxVisualObject* o = Add(root, 0, 0, 20, 20);
    std::vector<std::string> log;
    o->OnMouseDown.Set([&](TvxObject*, TvxMouseButton b, TvxShiftState, float x, float) { log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(int(x))); });
    o->OnMouseUp.Set([&](TvxObject*, TvxMouseButton, TvxShiftState, float, float) { log.push_back("up"); });
    o->OnDblClick.Set([&](TvxObject*) { log.push_back("double"); });
    o->OnKeyDown.Set([&](TvxObject*, int& key, char32_t&, TvxShiftState) { log.push_back("key " + std::to_string(key)); });

    o->SetAutoCapture(true);
    o->MouseDown(TvxMouseButton::mbMiddle, 0, 3, 3);
    EXPECT_EQ(scene.captured, o);
    o->MouseUp(TvxMouseButton::mbMiddle, 0, 3, 3);
    EXPECT_EQ(scene.captured, nullptr);
    // A right press shows the context menu and captures nothing.
    o->MouseDown(TvxMouseButton::mbRight, 0, 4, 4);
    EXPECT_EQ(scene.captured, nullptr);
    o->MouseDown(TvxMouseButton::mbLeft, kDoubleClick, 5, 5);
    int key = 65;
    char32_t ch = U'a';
    o->KeyDown(key, ch, 0);
    key = kContextMenuKey;
    o->KeyDown(key, ch, 0);
    EXPECT_EQ(log, (std::vector<std::string> { "down 2 3", "up", "down 1 4", "down 0 5", "double", "key 65" }));

    bool handled = false;
    o->MouseWheel(0, 120, handled);
    EXPECT_FALSE(handled);
    o->OnMouseWheel.Set([](TvxObject*, TvxShiftState, int delta, TvxPoint, bool& h) { h = delta > 0; });
    o->MouseWheel(0, 120, handled);
    EXPECT_TRUE(handled);

    // Dialog keys go to visible, enabled children in order until one clears the key.
    struct Catcher : TvxVisualObject {
        using TvxVisualObject::TvxVisualObject;
        int seen { 0 };
        void DialogKey(int& k, TvxShiftState) override
        {
            ++seen;
            k = 0;
        }
    };
    auto* first = new Catcher(nullptr);
    auto* second = new Catcher(nullptr);
    o->AddObject(first);
    o->AddObject(second);
    first->SetEnabled(false);
    int escape = 27;
    o->DialogKey(escape, 0);
    EXPECT_EQ(escape, 0);
    EXPECT_EQ(first->seen, 0);
    EXPECT_EQ(second->seen, 1);

    // Focus can be vetoed.
    o->SetCanFocused(true);
    o->OnCanFocused.Set([](TvxObject*, bool& allow) { allow = false; });
    o->SetFocus();
    EXPECT_EQ(scene.focused, nullptr);
}

TEST_F(VisualObjectTest, TabListFollowsTheChildren)
{
    TvxVisualObject* a = Add(root, 0, 0, 5, 5);
    TvxVisualObject* b = Add(root, 0, 0, 5, 5);
    EXPECT_EQ(root->TabList(), (std::vector<TvxVisualObject*> { a, b }));
    a->Free();
    EXPECT_EQ(root->TabList(), (std::vector<TvxVisualObject*> { b }));
    Add(root, 0, 0, 5, 5);
    root->DeleteChildren();
    EXPECT_TRUE(root->TabList().empty());
    EXPECT_EQ(root->ObjectByPoint(2, 2), root);
}

TEST_F(VisualObjectTest, BoundsRectAndPaddingRealignTheParent)
{
    root->SetBounds(0, 0, 100, 100);
    TvxVisualObject* o = Add(root, 0, 0, 10, 10);
    o->SetBoundsRect({ 20, 30, 60, 50 });
    EXPECT_EQ(Bounds(o), (TvxRect { 20, 30, 60, 50 }));
    o->SetAlign(TvxAlign::vaTop);
    EXPECT_EQ(Bounds(o), (TvxRect { 0, 0, 100, 20 }));
    o->Padding().SetTop(5);
    EXPECT_EQ(Bounds(o), (TvxRect { 0, 5, 100, 25 }));
    root->BeginUpdate();
    root->SetHeight(300);
    o->Padding().SetTop(7);
    EXPECT_EQ(o->Position().Y(), 5);
    root->EndUpdate();
    EXPECT_EQ(o->Position().Y(), 7);
}

// Counts layouts so a test can tell that a change realigned the parent.
class CountingVisual : public TvxVisualObject {
public:
    using TvxVisualObject::TvxVisualObject;
    void Realign() override
    {
        ++realigns;
        TvxVisualObject::Realign();
    }
    int realigns { 0 };
};

TEST_F(VisualObjectTest, RemovingAnAlignedChildLetsTheClientSiblingGrow)
{
    root->SetBounds(0, 0, 100, 100);
    TvxVisualObject* top = Add(root, 0, 0, 100, 20, TvxAlign::vaTop);
    TvxVisualObject* client = Add(root, 0, 0, 10, 10, TvxAlign::vaClient);
    ASSERT_EQ(Bounds(client), (TvxRect { 0, 20, 100, 100 }));
    root->RemoveObject(top);
    EXPECT_EQ(Bounds(client), (TvxRect { 0, 0, 100, 100 }));
    top->Free();
}

TEST_F(VisualObjectTest, ChildrenMovingInOrOutOfBeginUpdateTakeItsNesting)
{
    TvxVisualObject* parent = Add(root, 0, 0, 50, 50);
    TvxVisualObject* child = Add(parent, 0, 0, 10, 10);
    TvxVisualObject* grandchild = Add(child, 0, 0, 5, 5);
    parent->BeginUpdate();
    parent->RemoveObject(child);
    EXPECT_EQ(child->Updating(), 0);
    EXPECT_EQ(grandchild->Updating(), 0);
    // Out of the parent's BeginUpdate, the removed child repaints again.
    root->AddObject(child);
    scene.updates.clear();
    child->Repaint();
    EXPECT_FALSE(scene.updates.empty());

    auto* newcomer = new TvxVisualObject(nullptr);
    parent->AddObject(newcomer);
    EXPECT_EQ(newcomer->Updating(), 1);
    parent->EndUpdate();
    EXPECT_EQ(newcomer->Updating(), 0);
}

TEST_F(VisualObjectTest, ReorderingChildrenRealignsAndRepaintsTheParent)
{
    struct Case {
        const char* name;
        void (*reorder)(TvxVisualObject& parent);
    } cases[] = {
        { "BringToFront", [](TvxVisualObject& p) { p.Child(0)->BringToFront(); } },
        { "SendToBack", [](TvxVisualObject& p) { p.Child(2)->SendToBack(); } },
        { "SetIndex", [](TvxVisualObject& p) { p.Child(0)->SetIndex(1); } },
        { "Exchange", [](TvxVisualObject& p) { p.Exchange(p.Child(0), p.Child(2)); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* parent = new CountingVisual(nullptr);
        parent->SetBounds(0, 0, 60, 60);
        root->AddObject(parent);
        for (int i = 0; i < 3; ++i)
            Add(parent, 0, 0, 10, 10, TvxAlign::vaTop);
        const int realigns = parent->realigns;
        scene.updates.clear();
        c.reorder(*parent);
        EXPECT_GT(parent->realigns, realigns);
        EXPECT_FALSE(scene.updates.empty());
        parent->Free();
    }
}

}
}
