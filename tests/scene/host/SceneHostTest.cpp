// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxScene.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxBitmapEffects.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/StackBlur.h"
#include "scene/shapes/TvxText.h"
#include "tests/support/HeadlessScene.h"
#include "tests/support/SceneObjects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace nimbrell;
using nimbrell::testing::AddRectangle;
using platform::MakePointParam;
using platform::PostMessage;

namespace {

class SceneHostTest : public nimbrell::testing::HeadlessSceneTest {
protected:
    SceneHostTest()
        : HeadlessSceneTest(200, 100)
    {
        window.Move(300, 200);
    }
};

}

TEST_F(SceneHostTest, ManyRepaintRequestsInOneTurnMakeOneFrameAndOnePush)
{
    window.Show();
    application.ProcessMessages();
    EXPECT_EQ(scene.FrameCount(), 1);
    EXPECT_EQ(native().PushCount(), 1);

    for (int i = 0; i < 50; ++i)
        scene.AddUpdateRect({ float(i), float(i), float(i + 5), float(i + 5) });
    application.ProcessMessages();
    EXPECT_EQ(scene.FrameCount(), 2);
    EXPECT_EQ(native().PushCount(), 2);

    application.ProcessMessages();
    EXPECT_EQ(scene.FrameCount(), 2) << "no request, no frame";
}

TEST_F(SceneHostTest, RequestsAreWidenedToWholePixelsAndOnlyThoseOutsideAreIgnored)
{
    struct Case {
        TvxRect request;
        std::vector<TvxRect> pending;
    } cases[] = {
        { { 300, 300, 400, 400 }, {} },
        { { 10, 10, 10, 50 }, {} },
        { { -50.5f, 10.2f, 20.7f, 30 }, { { -50, 10, 21, 31 } } },
        { { 199.5f, 0, 250, 10 }, { { 199, 0, 251, 11 } } },
        { { 200, 100, 260, 140 }, { { 200, 100, 261, 141 } } }
    };
    for (const auto& c : cases) {
        scene.Draw();
        scene.AddUpdateRect(c.request);
        auto pending = scene.PendingRects();
        ASSERT_EQ(pending.size(), c.pending.size()) << c.request.Left;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            EXPECT_EQ(pending[i].Left, c.pending[i].Left);
            EXPECT_EQ(pending[i].Top, c.pending[i].Top);
            EXPECT_EQ(pending[i].Right, c.pending[i].Right);
            EXPECT_EQ(pending[i].Bottom, c.pending[i].Bottom);
        }
    }
}

TEST_F(SceneHostTest, TransparentRootWithoutFillLeavesUnpaintedPixelsClear)
{
    AddRectangle(root, { 10, 10, 60, 40 }, 0xFFFF0000);
    AddRectangle(root, { 100, 10, 150, 40 }, 0x80FFFFFF);
    window.Show();
    application.ProcessMessages();
    ASSERT_EQ(native().PushedPixels().size(), 200u * 100u);
    EXPECT_EQ(pushedPixel(30, 20), 0xFFFF0000u);
    EXPECT_EQ(pushedPixel(120, 20), 0x80808080u) << "half-transparent white, premultiplied";
    for (auto [x, y] : { std::pair { 0, 0 }, { 5, 50 }, { 199, 99 }, { 80, 20 } })
        EXPECT_EQ(pushedPixel(x, y), 0u) << x << "," << y;

    root->Fill().SetStyle(TvxBrushStyle::vgBrushSolid);
    application.ProcessMessages();
    EXPECT_EQ(pushedPixel(5, 50), 0xFFE0E0E0u) << "a root with a fill paints it everywhere";
}

TEST_F(SceneHostTest, AFramePushesOnlyTheRectanglesThatChanged)
{
    auto* panel = AddRectangle(root, { 0, 0, 200, 100 }, 0xC0203040);
    TvxText* texts[3] {};
    for (int i = 0; i < 3; ++i) {
        texts[i] = new TvxText(nullptr);
        texts[i]->SetBounds(10, 10 + 28 * float(i), 120, 24);
        texts[i]->SetText("明天 -1℃~-9℃");
        panel->AddObject(texts[i]);
    }
    window.Show();
    application.ProcessMessages();
    ASSERT_EQ(native().PushedDamage().size(), 1u);
    EXPECT_EQ(native().PushedDamage()[0], (platform::ScreenRect { 0, 0, 200, 100 })) << "a first push is whole";

    const int pushes = native().PushCount();
    texts[1]->SetText("后天 1℃~-8℃");
    application.ProcessMessages();
    ASSERT_EQ(native().PushCount(), pushes + 1);
    // The text's own area, widened to whole pixels as requests are.
    const platform::ScreenRect text { 10, 38, 131, 63 };
    ASSERT_FALSE(native().PushedDamage().empty());
    for (const platform::ScreenRect& rect : native().PushedDamage())
        EXPECT_EQ(rect.Within(text), rect) << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;

    // The window read only that damage; what it shows is what a whole frame paints.
    const std::vector<std::uint32_t> shown = native().PushedPixels();
    scene.DrawAll();
    EXPECT_EQ(native().PushedDamage().size(), 1u);
    EXPECT_TRUE(shown == native().PushedPixels());
}

TEST_F(SceneHostTest, AChangedTextRedrawsTheHaloItsLayoutDrawsAroundIt)
{
    // A glow on the layout draws a halo around all its texts, past their boxes:
    // when one text changes, the halo around it changes too.
    auto* layout = new TvxLayout(nullptr);
    layout->SetBounds(10, 10, 150, 40);
    root->AddObject(layout);
    auto* halo = new TvxGlowEffect(nullptr);
    halo->SetGlowColor(0xFF000000);
    halo->SetSpread(1);
    layout->AddObject(halo);
    auto* text = new TvxText(nullptr);
    text->SetBounds(0, 10, 150, 20);
    text->SetHorzTextAlign(TvxTextAlign::vgTextAlignFar);
    text->SetText("获取失败,一分钟后重新获取!");
    layout->AddObject(text);
    window.Show();
    application.ProcessMessages();

    text->SetText("北风3-4级");
    application.ProcessMessages();
    const std::vector<std::uint32_t> shown = native().PushedPixels();
    scene.DrawAll();
    EXPECT_TRUE(shown == native().PushedPixels()) << "what the window shows after the change is what a whole frame paints";
}

TEST_F(SceneHostTest, TheBlurKeepsItsWorkingMemoryOnlyWhileTheAnimationClockRuns)
{
    struct ClockReset {
        ~ClockReset() { AnimationClockArmed() = false; }
    } reset;
    TvxRectangle* box = AddRectangle(root, { 40, 30, 120, 70 }, 0xFF3060C0);
    box->AddObject(new TvxGlowEffect(nullptr));
    auto changeAndPaint = [&](TvxColor fill) {
        box->Fill().SetSolidColor(fill);
        application.ProcessMessages();
    };
    window.Show();
    application.ProcessMessages();
    EXPECT_EQ(BlurScratchBytes(), 0u) << "a frame on its own gives the planes back";

    AnimationClockArmed() = true;
    changeAndPaint(0xFF30C060);
    EXPECT_GT(BlurScratchBytes(), 0u) << "the next frame of the animation blurs again";
    changeAndPaint(0xFFC03060);
    EXPECT_GT(BlurScratchBytes(), 0u);

    AnimationClockArmed() = false;
    changeAndPaint(0xFF3060C0);
    EXPECT_EQ(BlurScratchBytes(), 0u) << "the frame after the last step gives them back";
    const std::vector<std::uint32_t> shown = native().PushedPixels();
    scene.DrawAll();
    EXPECT_TRUE(shown == native().PushedPixels());
}

TEST_F(SceneHostTest, PressingWhereNothingTakesTheMouseDragsTheWindow)
{
    AddRectangle(root, { 10, 10, 60, 40 }, 0xFFFF0000)->SetHitTest(false);
    post(platform::WM_LBUTTONDOWN, 30, 20, platform::MK_LBUTTON);
    EXPECT_TRUE(scene.Dragging());
    EXPECT_TRUE(native().Captured());
    post(platform::WM_MOUSEMOVE, 50, 35, platform::MK_LBUTTON);
    EXPECT_EQ(window.Left(), 320);
    EXPECT_EQ(window.Top(), 215);
    // The window moved under the mouse: the same screen point is now (30, 20) again.
    post(platform::WM_MOUSEMOVE, 35, 20, platform::MK_LBUTTON);
    EXPECT_EQ(window.Left(), 325);
    EXPECT_EQ(window.Top(), 215);
    post(platform::WM_LBUTTONUP, 30, 20);
    EXPECT_FALSE(scene.Dragging());
    EXPECT_FALSE(native().Captured());

    window.SetTag(NoDragTag);
    post(platform::WM_LBUTTONDOWN, 30, 20, platform::MK_LBUTTON);
    post(platform::WM_MOUSEMOVE, 90, 60, platform::MK_LBUTTON);
    post(platform::WM_LBUTTONUP, 90, 60);
    EXPECT_EQ(window.Left(), 325) << "a window tagged 65535 stays put";
    EXPECT_EQ(window.Top(), 215);
}

TEST_F(SceneHostTest, PressOnAnObjectReachesItInLocalCoordinates)
{
    auto* target = AddRectangle(root, { 10, 10, 60, 40 }, 0xFFFF0000);
    TvxPoint pressed { -1, -1 };
    int clicks = 0;
    target->OnMouseDown.Set([&](TvxObject*, TvxMouseButton, TvxShiftState, float x, float y) { pressed = { x, y }; });
    target->OnClick.Set([&](TvxObject*) { ++clicks; });
    post(platform::WM_LBUTTONDOWN, 30, 25, platform::MK_LBUTTON);
    EXPECT_FALSE(scene.Dragging());
    EXPECT_EQ(pressed.X, 20);
    EXPECT_EQ(pressed.Y, 15);
    post(platform::WM_LBUTTONUP, 30, 25);
    EXPECT_EQ(clicks, 1);
}

TEST_F(SceneHostTest, MovingOntoAnOverlappingChildLeavesTheParentAndEntersTheChild)
{
    auto* outer = AddRectangle(root, { 10, 10, 110, 90 }, 0xFF00FF00);
    auto* inner = AddRectangle(outer, { 20, 20, 50, 50 }, 0xFF0000FF);
    std::vector<std::string> events;
    outer->OnMouseEnter.Set([&](TvxObject*) { events.push_back("outer enter"); });
    outer->OnMouseLeave.Set([&](TvxObject*) { events.push_back("outer leave"); });
    inner->OnMouseEnter.Set([&](TvxObject*) { events.push_back("inner enter"); });
    inner->OnMouseLeave.Set([&](TvxObject*) { events.push_back("inner leave"); });

    post(platform::WM_MOUSEMOVE, 15, 15);
    post(platform::WM_MOUSEMOVE, 40, 40);
    EXPECT_TRUE(inner->IsMouseOver());
    EXPECT_FALSE(outer->IsMouseOver());
    post(platform::WM_MOUSEMOVE, 150, 95);
    post(platform::WM_MOUSEMOVE, 40, 40);
    PostMessage(window.Handle(), platform::WM_MOUSELEAVE, 0, 0);
    application.ProcessMessages();
    EXPECT_EQ(events, (std::vector<std::string> { "outer enter", "outer leave", "inner enter", "inner leave", "inner enter", "inner leave" }));
    EXPECT_EQ(scene.Hovered(), nullptr);
}

TEST_F(SceneHostTest, TabAndShiftTabCycleTheFocusInTabOrder)
{
    std::vector<TvxRectangle*> fields;
    for (int i = 0; i < 3; ++i) {
        fields.push_back(AddRectangle(root, { 10.0f + 40 * i, 10, 40.0f + 40 * i, 30 }, 0xFF808080));
        fields.back()->SetCanFocused(true);
    }
    fields[1]->SetVisible(false);
    auto key = [&](int code, platform::LPARAM shift = 0) {
        PostMessage(window.Handle(), platform::WM_KEYDOWN, static_cast<platform::WPARAM>(code), shift);
        application.ProcessMessages();
    };
    key(platform::VK_TAB);
    EXPECT_EQ(scene.Focused(), fields[0]);
    key(platform::VK_TAB);
    EXPECT_EQ(scene.Focused(), fields[2]) << "hidden objects are skipped";
    key(platform::VK_TAB);
    EXPECT_EQ(scene.Focused(), fields[0]) << "forward wraps to the first";
    key(platform::VK_TAB, platform::MK_SHIFT);
    EXPECT_EQ(scene.Focused(), fields[2]) << "backward wraps to the last";
    key(platform::VK_TAB, platform::MK_SHIFT);
    EXPECT_EQ(scene.Focused(), fields[0]);
    EXPECT_TRUE(fields[0]->IsFocused());
    EXPECT_FALSE(fields[2]->IsFocused());

    std::vector<int> keys;
    fields[0]->OnKeyDown.Set([&](TvxObject*, int& code, char32_t& character, TvxShiftState) { keys.push_back(code ? code : int(character)); });
    key('Q');
    PostMessage(window.Handle(), platform::WM_CHAR, 3, platform::MK_CONTROL);
    PostMessage(window.Handle(), platform::WM_CHAR, U'天', 0);
    PostMessage(window.Handle(), platform::WM_CHAR, 13, 0);
    application.ProcessMessages();
    EXPECT_EQ(keys, (std::vector<int> { 'Q', 'c', U'天' })) << "Ctrl+C arrives as c; Enter is left to the platform";
}

TEST_F(SceneHostTest, EscapeClosesAModalWindowWithCancel)
{
    PostMessage(window.Handle(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
    EXPECT_EQ(window.ShowModal(nullptr), platform::ModalResult::Cancel);
}

TEST_F(SceneHostTest, FreeingHoveredAndFocusedObjectsDropsTheSceneReferences)
{
    auto* target = AddRectangle(root, { 10, 10, 60, 40 }, 0xFFFF0000);
    target->SetCanFocused(true);
    post(platform::WM_MOUSEMOVE, 20, 20);
    target->SetFocus();
    ASSERT_EQ(scene.Hovered(), target);
    ASSERT_EQ(scene.Focused(), target);
    target->Free();
    EXPECT_EQ(scene.Hovered(), nullptr);
    EXPECT_EQ(scene.Focused(), nullptr);
    post(platform::WM_MOUSEMOVE, 25, 25);
}

TEST_F(SceneHostTest, HoveredObjectTakenOutOfTheTreeAndFreedIsForgotten)
{
    struct Case {
        const char* name;
        void (*takeOut)(TvxVisualObject& list, TvxVisualObject& item);
    } cases[] = {
        { "DeleteChildren", [](TvxVisualObject& list, TvxVisualObject&) { list.DeleteChildren(); } },
        { "RemoveObject", [](TvxVisualObject& list, TvxVisualObject& item) {
             list.RemoveObject(&item);
             item.Free();
         } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* list = AddRectangle(root, { 10, 10, 110, 90 }, 0xFF00FF00);
        auto* item = AddRectangle(list, { 10, 10, 50, 30 }, 0xFF0000FF);
        post(platform::WM_MOUSEMOVE, 30, 30);
        ASSERT_EQ(scene.Hovered(), item);
        c.takeOut(*list, *item);
        EXPECT_EQ(scene.Hovered(), nullptr);
        // Under the sanitizers, a move that reached the freed item would fail here.
        post(platform::WM_MOUSEMOVE, 31, 31);
        EXPECT_EQ(scene.Hovered(), list);
        list->Free();
    }
}

TEST_F(SceneHostTest, FreeingARootStillInTheSceneClearsItsPixels)
{
    window.Show();
    auto* second = new TvxRectangle(nullptr);
    second->SetBounds(20, 20, 30, 30);
    second->Fill().SetSolidColor(0xFFFF0000);
    second->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    scene.AddObject(second);
    application.ProcessMessages();
    ASSERT_EQ(pushedPixel(30, 30), 0xFFFF0000u);
    second->Free();
    application.ProcessMessages();
    EXPECT_EQ(pushedPixel(30, 30), 0u);
}

TEST_F(SceneHostTest, RootCoversTheWindowWhateverItsScale)
{
    root->Scale().SetPoint({ 0.5f, 0.5f });
    window.SetSize(300, 120);
    EXPECT_EQ(root->Width(), 600);
    EXPECT_EQ(root->Height(), 240);
}

TEST(TvxBackground, StreamsAsTheClassicExample)
{
    RegisterSceneHostClasses();
    TvxBackground background(nullptr);
    background.SetBounds(0, 0, 50, 50);
    std::vector<std::uint8_t> bytes;
    background.SaveToBinStream(bytes);
    std::vector<std::uint8_t> expected { 'T', 'P', 'F', '0', 13, 'T', 'v', 'x', 'B', 'a', 'c', 'k', 'g', 'r', 'o', 'u', 'n', 'd', 0 };
    auto floatValue = [&](const char* name) {
        expected.push_back(static_cast<std::uint8_t>(std::strlen(name)));
        expected.insert(expected.end(), name, name + std::strlen(name));
        for (std::uint8_t b : { 5, 0, 0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40 })
            expected.push_back(b);
    };
    floatValue("Width");
    floatValue("Height");
    expected.push_back(0);
    expected.push_back(0);
    EXPECT_EQ(bytes, expected);
}

TEST_F(SceneHostTest, RemovingARootLeavesTheOthersAndTheCallerOwnsIt)
{
    auto* second = new TvxBackground(nullptr);
    auto* third = new TvxBackground(nullptr);
    scene.AddObject(second);
    scene.AddObject(third);
    scene.RemoveObject(second);
    EXPECT_EQ(scene.Roots(), (std::vector<TvxObject*> { root, third }));
    scene.RemoveObject(second);
    EXPECT_EQ(scene.Roots().size(), 2u) << "removing what is not a root does nothing";
    second->Free();
    EXPECT_EQ(scene.Root(), root);
}

namespace {

// The pages of the scene buffer the process holds.
std::size_t ResidentPages(const TvxBitmap& buffer)
{
    const long page = sysconf(_SC_PAGESIZE);
    auto start = reinterpret_cast<std::uintptr_t>(buffer.ConstBits()) & ~std::uintptr_t(page - 1);
    auto end = reinterpret_cast<std::uintptr_t>(buffer.ConstBits() + std::size_t(buffer.Width()) * std::size_t(buffer.Height()));
    std::vector<unsigned char> resident((end - start + page - 1) / page);
    if (mincore(reinterpret_cast<void*>(start), end - start, resident.data()) != 0)
        return resident.size();
    return static_cast<std::size_t>(std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; }));
}

class LargeSceneTest : public nimbrell::testing::HeadlessSceneTest {
protected:
    LargeSceneTest()
        : HeadlessSceneTest(2000, 1000)
    {
    }
};

}

TEST_F(LargeSceneTest, FramesTouchOnlyThePartOfTheBufferTheyPaint)
{
    auto* box = AddRectangle(root, { 100, 100, 150, 130 }, 0xFFFF0000);
    window.Show();
    application.ProcessMessages();
    TvxRect inked = scene.InkedArea();
    EXPECT_EQ(inked.Left, 100);
    EXPECT_EQ(inked.Top, 100);
    EXPECT_EQ(inked.Right, 150);
    EXPECT_EQ(inked.Bottom, 130);
    // 8 MB of buffer; the rows the box spans are 30 × 8,000 bytes.
    const std::size_t rowsPages = 30 * 2000 * 4 / 4096 + 3;
    EXPECT_LE(ResidentPages(scene.Buffer()), rowsPages);
    EXPECT_EQ(pushedPixel(120, 110), 0xFFFF0000u);

    box->SetBounds(1500, 800, 40, 20);
    application.ProcessMessages();
    EXPECT_EQ(pushedPixel(120, 110), 0u) << "the old place is cleared";
    EXPECT_EQ(pushedPixel(1510, 810), 0xFFFF0000u);
    EXPECT_EQ(pushedPixel(1000, 500), 0u);
    inked = scene.InkedArea();
    EXPECT_EQ(inked.Left, 100);
    EXPECT_EQ(inked.Bottom, 820);

    window.SetSize(1900, 1000);
    EXPECT_TRUE(IsRectEmpty(scene.InkedArea())) << "a new buffer holds nothing yet";
}
