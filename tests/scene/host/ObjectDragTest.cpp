// SPDX-License-Identifier: GPL-3.0-or-later
// Dragging one object onto another inside a scene, driven by window messages on the
// headless back end.

#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"
#include "scene/render/TvxBitmap.h"
#include "tests/support/HeadlessScene.h"
#include "tests/support/SceneObjects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace nimbrell;
using nimbrell::testing::AddRectangle;
using platform::PostMessage;

namespace {

constexpr TvxColor sourceColor = 0xFFFF0000;
constexpr TvxColor takerColor = 0xFF00FF00;
constexpr TvxColor refuserColor = 0xFF0000FF;

class ObjectDragTest : public nimbrell::testing::HeadlessSceneTest {
protected:
    ObjectDragTest()
        : HeadlessSceneTest(300, 100)
    {
    }

    TvxRectangle* source { nullptr };
    TvxRectangle* taker { nullptr };
    TvxRectangle* refuser { nullptr };
    std::vector<std::string> log;
    int clicks { 0 };

    void SetUp() override
    {
        source = AddRectangle(root, { 10, 10, 50, 50 }, sourceColor);
        source->SetName("source");
        source->SetDragMode(TvxDragMode::dmAutomatic);
        source->OnClick.Set([&](TvxObject*) { ++clicks; });
        source->OnMouseUp.Set([&](TvxObject*, TvxMouseButton, TvxShiftState, float, float) { log.push_back("source up"); });
        taker = AddRectangle(root, { 100, 10, 160, 70 }, takerColor);
        taker->SetName("taker");
        refuser = AddRectangle(root, { 200, 10, 260, 70 }, refuserColor);
        refuser->SetName("refuser");
        for (TvxRectangle* object : { source, taker, refuser })
            record(object, object == taker);
        window.Show();
        application.ProcessMessages();
    }

    void record(TvxVisualObject* object, bool accepts)
    {
        std::string name = object->Name();
        object->OnDragEnter.Set([this, name](TvxObject*, const TvxDragObject& data, TvxPoint) {
            log.push_back(name + " enter " + data.Source->Name());
        });
        object->OnDragOver.Set([this, name, accepts](TvxObject*, const TvxDragObject&, TvxPoint, bool& accept) {
            if (log.empty() || log.back() != name + " over")
                log.push_back(name + " over");
            accept = accepts;
        });
        object->OnDragDrop.Set([this, name](TvxObject*, const TvxDragObject& data, TvxPoint at) {
            log.push_back(name + " drop " + data.Source->Name() + " at " + std::to_string(int(at.X)) + "," + std::to_string(int(at.Y)));
        });
        object->OnDragLeave.Set([this, name](TvxObject*) { log.push_back(name + " leave"); });
        object->OnDragEnd.Set([this, name](TvxObject*) { log.push_back(name + " end"); });
    }
};

}

TEST_F(ObjectDragTest, TheObjectsPassedAreToldAndOnlyAnAcceptedReleaseDrops)
{
    struct Case {
        const char* name;
        int releaseX;
        bool escape;
        std::vector<std::string> ending;
    } cases[] = {
        { "dropped on the taker", 130, false, { "taker over", "taker drop source at 30,20", "source up", "source end" } },
        { "released on the refuser", 230, false, { "refuser over", "refuser leave", "source up", "source end" } },
        { "cancelled by Escape", 130, true, { "taker leave", "source up", "source end" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        post(platform::WM_LBUTTONDOWN, 30, 30, platform::MK_LBUTTON);
        ASSERT_TRUE(scene.DraggingObject());
        EXPECT_TRUE(native().Captured());
        EXPECT_EQ(log, (std::vector<std::string> { "source enter source", "source over" })) << "the source is under the pointer first";

        log.clear();
        post(platform::WM_MOUSEMOVE, 230, 30, platform::MK_LBUTTON);
        EXPECT_EQ(native().Cursor(), platform::CursorShape::No) << "the refuser takes no drop";
        post(platform::WM_MOUSEMOVE, c.releaseX, 30, platform::MK_LBUTTON);
        EXPECT_EQ(scene.DragTarget(), c.releaseX == 130 ? taker : refuser);
        EXPECT_EQ(native().Cursor(), c.releaseX == 130 ? platform::CursorShape::Drag : platform::CursorShape::No);
        if (c.releaseX == 130) {
            EXPECT_EQ(log, (std::vector<std::string> { "source leave", "refuser enter source", "refuser over", "refuser leave", "taker enter source", "taker over" }));
            EXPECT_TRUE(taker->IsDragOver());
        }

        log.clear();
        if (c.escape) {
            PostMessage(window.Handle(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
            application.ProcessMessages();
        }
        post(platform::WM_LBUTTONUP, c.releaseX, 30);
        EXPECT_EQ(log, c.ending);
        EXPECT_FALSE(scene.DraggingObject());
        EXPECT_FALSE(taker->IsDragOver());
        EXPECT_FALSE(native().Captured());
        EXPECT_EQ(clicks, 0) << "a press that starts a drag does not click";
    }

    source->SetDragMode(TvxDragMode::dmManual);
    post(platform::WM_LBUTTONDOWN, 30, 30, platform::MK_LBUTTON);
    EXPECT_FALSE(scene.DraggingObject());
    post(platform::WM_LBUTTONUP, 30, 30);
    EXPECT_EQ(clicks, 1) << "a manual object is pressed and clicked as usual";
}

TEST_F(ObjectDragTest, TheTargetIsOutlinedAndTheDragImageFollowsThePointer)
{
    post(platform::WM_LBUTTONDOWN, 20, 20, platform::MK_LBUTTON);
    post(platform::WM_MOUSEMOVE, 130, 40, platform::MK_LBUTTON);
    application.ProcessMessages();
    EXPECT_EQ(pushedPixel(100, 40), 0xFF3399FFu) << "the outline over the taker's edge";
    EXPECT_EQ(pushedPixel(110, 20), takerColor) << "inside, the taker as painted";
    // The image is the source at 0.6 opacity, held where it was pressed: (10, 10)
    // from its corner, so it covers (120, 30) to (160, 70).
    std::uint32_t blend = pushedPixel(125, 35);
    EXPECT_NEAR(int((blend >> 16) & 0xFF), 153, 2) << std::hex << blend;
    EXPECT_NEAR(int((blend >> 8) & 0xFF), 102, 2) << std::hex << blend;

    taker->SetDragDisableHighlight(true);
    application.ProcessMessages();
    EXPECT_EQ(pushedPixel(100, 40), takerColor) << "no outline while the highlight is off";

    post(platform::WM_LBUTTONUP, 130, 40);
    application.ProcessMessages();
    EXPECT_EQ(pushedPixel(125, 35), takerColor) << "the image goes with the drag";
}

TEST_F(ObjectDragTest, TheDragImageIsTheObjectScaledDownToFit512)
{
    struct Case {
        float width, height;
        int imageWidth, imageHeight;
    } cases[] = { { 40, 40, 40, 40 }, { 1024, 300, 512, 150 }, { 200, 2048, 50, 512 }, { 0, 40, 0, 0 } };
    for (const Case& c : cases) {
        source->SetWidth(c.width);
        source->SetHeight(c.height);
        auto image = source->MakeDragImage();
        if (c.imageWidth == 0) {
            EXPECT_EQ(image, nullptr) << "an object without area has no image";
            continue;
        }
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Width(), c.imageWidth) << c.width;
        EXPECT_EQ(image->Height(), c.imageHeight) << c.height;
        EXPECT_EQ(image->Pixel(c.imageWidth / 2, c.imageHeight / 2), sourceColor);
    }
}

TEST_F(ObjectDragTest, ObjectsFreedDuringTheDragAreForgotten)
{
    taker->OnDragDrop.Set([&](TvxObject*, const TvxDragObject&, TvxPoint) {
        log.push_back("taker drop");
        source->Free();
        source = nullptr;
    });
    post(platform::WM_LBUTTONDOWN, 30, 30, platform::MK_LBUTTON);
    post(platform::WM_MOUSEMOVE, 130, 30, platform::MK_LBUTTON);
    log.clear();
    post(platform::WM_LBUTTONUP, 130, 30);
    EXPECT_EQ(log, (std::vector<std::string> { "taker over", "taker drop" })) << "the freed source is not told the drag ended";
    EXPECT_FALSE(scene.DraggingObject());

    auto* second = AddRectangle(root, { 10, 60, 40, 90 }, sourceColor);
    second->SetDragMode(TvxDragMode::dmAutomatic);
    record(second, false);
    post(platform::WM_LBUTTONDOWN, 20, 70, platform::MK_LBUTTON);
    post(platform::WM_MOUSEMOVE, 230, 30, platform::MK_LBUTTON);
    refuser->Free();
    EXPECT_EQ(scene.DragTarget(), nullptr);
    log.clear();
    second->Free();
    EXPECT_FALSE(scene.DraggingObject()) << "the drag ends with its source";
    EXPECT_FALSE(native().Captured());
    post(platform::WM_LBUTTONUP, 230, 30);
    EXPECT_TRUE(log.empty());
}

TEST_F(ObjectDragTest, DragPropertiesTravelInStreamsAndDefaultsAreLeftOut)
{
    const char* text = "object Box: TvxRectangle\n  DragMode = dmAutomatic\n  DragDisableHighlight = True\nend\n";
    ComponentPtr<TvxRectangle> box(new TvxRectangle(nullptr));
    ReadObjectStream(ObjectTextToBinary(text), *box);
    EXPECT_EQ(box->DragMode(), TvxDragMode::dmAutomatic);
    EXPECT_TRUE(box->DragDisableHighlight());

    auto written = [](TvxComponent& component) {
        std::vector<std::uint8_t> binary;
        ObjectWriter writer(binary);
        writer.WriteRoot(component);
        return ObjectBinaryToText(binary);
    };
    std::string again = written(*box);
    EXPECT_NE(again.find("DragMode = dmAutomatic"), std::string::npos) << again;
    EXPECT_NE(again.find("DragDisableHighlight = True"), std::string::npos) << again;

    box->SetDragMode(TvxDragMode::dmManual);
    box->SetDragDisableHighlight(false);
    box->Velocity().SetPoint({ 3, 4 });
    std::string plain = written(*box);
    EXPECT_EQ(plain.find("Drag"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("Velocity"), std::string::npos) << plain;
}
