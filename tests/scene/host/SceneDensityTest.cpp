// SPDX-License-Identifier: GPL-3.0-or-later
// A scene in a window of twice the density: drawn at the device's pixels, not
// enlarged, with pushes, damage and effects in the right units.
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxBitmapEffects.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/support/HeadlessScene.h"
#include "tests/support/SceneObjects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace nimbrell;
using nimbrell::testing::AddRectangle;

namespace {

class SceneDensityTest : public nimbrell::testing::HeadlessSceneTest {
protected:
    SceneDensityTest()
        : HeadlessSceneTest(200, 100)
    {
    }

    void setScale(int scale)
    {
        native().SetDeviceScale(scale);
        application.ProcessMessages();
    }

    std::uint32_t pushed(int x, int y) { return native().PushedPixels()[static_cast<std::size_t>(y * native().PushedWidth() + x)]; }

    TvxText* addText(const char* text)
    {
        auto* label = new TvxText(nullptr);
        label->SetBounds(10, 20, 180, 40);
        label->Font().SetSize(18);
        label->Fill().SetSolidColor(0xFFFFFFFF);
        label->SetText(text);
        root->AddObject(label);
        return label;
    }
};

// Pixels of the text's antialiased edges: neither clear nor solid.
int edgePixels(const TvxBitmap& picture)
{
    int count = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            std::uint32_t alpha = picture.Pixel(x, y) >> 24;
            count += alpha > 0x20 && alpha < 0xE0;
        }
    }
    return count;
}

}

TEST_F(SceneDensityTest, ShapesArePaintedAtTheDevicePixelsAndOnlyTheDamageIsPushed)
{
    auto* red = AddRectangle(root, { 10, 10, 90, 90 }, 0xFFFF0000);
    setScale(2);
    window.Show();
    application.ProcessMessages();
    EXPECT_EQ(scene.Width(), 200) << "the scene keeps its units";
    EXPECT_EQ(scene.Buffer().Width(), 400);
    EXPECT_EQ(scene.Buffer().Height(), 200);
    ASSERT_EQ(native().PushedWidth(), 400);
    ASSERT_EQ(native().PushedHeight(), 200);
    EXPECT_EQ(native().Width(), 200);
    // The edge at 10 units falls on device pixel 20, sharp.
    EXPECT_EQ(pushed(19, 19), 0u);
    EXPECT_EQ(pushed(20, 20), 0xFFFF0000u);
    EXPECT_EQ(pushed(179, 179), 0xFFFF0000u);
    EXPECT_EQ(pushed(180, 100), 0u);

    // A repaint pushes its area in device pixels.
    red->Fill().SetSolidColor(0xFF0000FF);
    application.ProcessMessages();
    ASSERT_FALSE(native().PushedDamage().empty());
    for (const platform::ScreenRect& rect : native().PushedDamage()) {
        EXPECT_EQ(rect.Within({ 18, 18, 184, 184 }), rect) << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
    }
    EXPECT_EQ(pushed(100, 100), 0xFF0000FFu);
    EXPECT_EQ(pushed(181, 100), 0u);
}

TEST_F(SceneDensityTest, TextAtTwiceTheDensityHasSharpEdgesNotAnEnlargedPicture)
{
    addText("天气 23℃ 多云");
    window.Show();
    application.ProcessMessages();
    TvxBitmap single;
    single.Assign(scene.Buffer());
    const std::vector<std::uint32_t> singlePush = native().PushedPixels();

    setScale(2);
    const TvxBitmap& dense = scene.Buffer();
    ASSERT_EQ(dense.Width(), 2 * single.Width());
    ASSERT_EQ(dense.Height(), 2 * single.Height());
    ASSERT_EQ(native().PushedWidth(), dense.Width());
    // Enlarging the single picture doubles each edge pixel both ways (four
    // times as many); drawn at the device, an edge is a pixel wide, so the
    // twice as long edges hold about twice as many.
    const int singleEdges = edgePixels(single), denseEdges = edgePixels(dense);
    ASSERT_GT(singleEdges, 50);
    EXPECT_LT(denseEdges, 3 * singleEdges) << singleEdges << " edge pixels at 1x";
    // Not an enlargement: many 2 x 2 blocks hold pixels of different alpha.
    int mixedBlocks = 0;
    for (int y = 0; y + 1 < dense.Height(); y += 2) {
        for (int x = 0; x + 1 < dense.Width(); x += 2) {
            std::uint32_t a = dense.Pixel(x, y) >> 24;
            mixedBlocks += (dense.Pixel(x + 1, y) >> 24) != a || (dense.Pixel(x, y + 1) >> 24) != a || (dense.Pixel(x + 1, y + 1) >> 24) != a;
        }
    }
    EXPECT_GT(mixedBlocks, singleEdges / 2);

    // Back at 1x, the window shows what it showed before, pixel for pixel.
    setScale(1);
    EXPECT_EQ(native().PushedWidth(), 200);
    EXPECT_TRUE(native().PushedPixels() == singlePush);
}

TEST_F(SceneDensityTest, EffectsAreRenderedAgainAtTheNewDensity)
{
    TvxText* label = addText("晴");
    auto* glow = new TvxGlowEffect(nullptr);
    glow->SetSoftness(0);
    glow->SetGlowColor(0xFF000000);
    label->AddObject(glow);
    window.Show();
    application.ProcessMessages();
    const TvxBitmap* image = label->EffectBitmap(glow);
    ASSERT_NE(image, nullptr);
    const int width = image->Width(), height = image->Height();

    setScale(2);
    image = label->EffectBitmap(glow);
    ASSERT_NE(image, nullptr);
    EXPECT_NEAR(image->Width(), 2 * width, 1);
    EXPECT_NEAR(image->Height(), 2 * height, 1);
}
