// SPDX-License-Identifier: GPL-3.0-or-later
// A scene in a window of twice the density: drawn at the device's pixels, not
// enlarged, with pushes, damage, effects and pictures in the right units.
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectWriter.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxBitmapEffects.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/support/HeadlessScene.h"
#include "tests/support/SceneObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

using namespace nimbrell;
using nimbrell::testing::AddRectangle;
using nimbrell::testing::MakePicture;

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

// A square picture of one colour with corners of another, margin pixels wide.
std::unique_ptr<TvxBitmap> framePicture(int size, int margin, std::uint32_t corner, std::uint32_t rest)
{
    return MakePicture(size, size, [=](int x, int y) {
        const bool inCorner = (x < margin || x >= size - margin) && (y < margin || y >= size - margin);
        return inCorner ? corner : rest;
    });
}

// A tile whose left half has one colour and its right half another.
std::unique_ptr<TvxBitmap> halvesPicture(int width, int height, std::uint32_t left, std::uint32_t right)
{
    return MakePicture(width, height, [=](int x, int) { return x < width / 2 ? left : right; });
}

std::vector<std::uint8_t> stored(TvxComponent& component)
{
    std::vector<std::uint8_t> out;
    ObjectWriter(out).WriteRoot(component);
    return out;
}

bool contains(const std::vector<std::uint8_t>& bytes, std::string_view text)
{
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

constexpr std::uint32_t Red = 0xFFFF0000, Blue = 0xFF0000FF, Magenta = 0xFFFF00FF, Green = 0xFF00FF00;
constexpr std::uint32_t Yellow = 0xFFFFFF00, Cyan = 0xFF00FFFF, Grey = 0xFF808080;

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

TEST_F(SceneDensityTest, AnEffectOverObjectsWithEffectsShowsTheirImagesOfItsOwnDensity)
{
    // A reflection of a group holding a text with a shadow: the group's image holds the
    // shadow's, which must not be the one of the previous density.
    auto* group = new TvxLayout(nullptr);
    group->SetBounds(0, 0, 200, 60);
    root->AddObject(group);
    TvxText* label = addText("Weather 晴");
    group->AddObject(label);
    label->AddObject(new TvxShadowEffect(nullptr));
    auto* reflection = new TvxReflectionEffect(nullptr);
    group->AddObject(reflection);
    window.Show();
    application.ProcessMessages();
    const std::vector<std::uint32_t> single = native().PushedPixels();
    // The first frame already shows the shadow in the reflection: rendered afresh, the same.
    label->EffectChanged();
    application.ProcessMessages();
    EXPECT_TRUE(native().PushedPixels() == single);

    setScale(2);
    setScale(1);
    EXPECT_TRUE(native().PushedPixels() == single);
}

TEST_F(SceneDensityTest, PicturesOfTwiceTheDensityFillFramesAndTilesInTheStatedPicturesUnits)
{
    // A frame of 60 x 40 units with 4-unit margins at (10, 10); a tile of 4 x 4
    // units filling 80 x 40 units at (100, 10).
    auto* frame = new TvxImage(nullptr);
    frame->SetBounds(10, 10, 60, 40);
    frame->Bitmap().Assign(*framePicture(12, 4, Red, Blue));
    frame->BitmapMargins().SetRect({ 4, 4, 4, 4 });
    root->AddObject(frame);
    auto* tiled = AddRectangle(root, { 100, 10, 180, 50 }, 0);
    tiled->Fill().SetStyle(TvxBrushStyle::vgBrushBitmap);
    tiled->Fill().Bitmap().SetWrapMode(TvxWrapMode::vgWrapTile);
    tiled->Fill().Bitmap().Bitmap().Assign(*halvesPicture(4, 4, Grey, Grey));
    window.Show();
    application.ProcessMessages();
    const std::vector<std::uint32_t> withoutDense = native().PushedPixels();

    // Given pictures of twice the density, a window of scale 1 shows the same.
    frame->Bitmap().SetDense(framePicture(24, 8, Magenta, Green).get());
    tiled->Fill().Bitmap().Bitmap().SetDense(halvesPicture(8, 8, Yellow, Cyan).get());
    application.ProcessMessages();
    EXPECT_TRUE(native().PushedPixels() == withoutDense);
    EXPECT_EQ(pushed(10, 10), Red);
    EXPECT_EQ(pushed(14, 14), Blue);

    setScale(2);
    // Each corner keeps its 4 units: the 8 dense pixels, one to one.
    struct Point {
        int x, y;
        std::uint32_t color;
    } points[] = { { 20, 20, Magenta }, { 27, 27, Magenta }, { 28, 28, Green }, { 28, 20, Green }, { 139, 99, Magenta },
        { 132, 92, Magenta }, { 131, 91, Green }, { 80, 60, Green }, { 20, 60, Green } };
    for (const Point& p : points)
        EXPECT_EQ(pushed(p.x, p.y), p.color) << p.x << "," << p.y;
    // The tile still covers 4 units: 8 device pixels, 4 of each half.
    for (int x = 200; x < 232; ++x)
        EXPECT_EQ(pushed(x, 40), (x - 200) % 8 < 4 ? Yellow : Cyan) << x;
}

TEST_F(SceneDensityTest, APictureOfTwiceTheDensityIsStoredBesideThePictureAndGoesWithItsPixels)
{
    TvxImage image(nullptr);
    image.Bitmap().Assign(*framePicture(6, 2, Red, Blue));
    const std::vector<std::uint8_t> single = stored(image);
    EXPECT_FALSE(contains(single, "PNG2x")) << "a picture without one is stored as before";

    // Half translucent: stored as PNG, so read back exactly.
    constexpr std::uint32_t HalfMagenta = 0x80800080, HalfGreen = 0x80008000;
    image.Bitmap().SetDense(framePicture(12, 4, HalfMagenta, HalfGreen).get());
    const std::vector<std::uint8_t> both = stored(image);
    ASSERT_TRUE(contains(both, "PNG2x"));

    // Read back, kept encoded until drawn dense, and written back as read.
    TvxImage copy(nullptr);
    ReadObjectStream(both, copy);
    ASSERT_TRUE(copy.Bitmap().HasDense());
    EXPECT_EQ(stored(copy), both);
    EXPECT_EQ(&copy.Bitmap().ForDeviceScale(1.49f), &copy.Bitmap());
    const TvxBitmap& read = copy.Bitmap().ForDeviceScale(1.5f);
    ASSERT_EQ(read.Width(), 12);
    EXPECT_EQ(read.Pixel(0, 0), HalfMagenta);
    EXPECT_EQ(read.Pixel(5, 5), HalfGreen);

    // Copies carry it; new pixels drop it, as it would show something else.
    TvxBitmap assigned;
    assigned.Assign(copy.Bitmap());
    EXPECT_EQ(assigned.ForDeviceScale(2).Width(), 12);
    copy.Bitmap().Clear(Red);
    EXPECT_FALSE(copy.Bitmap().HasDense());
    EXPECT_FALSE(contains(stored(copy), "PNG2x"));

    // Bytes that do not decode leave the picture itself to be drawn.
    TvxImage broken(nullptr);
    broken.Bitmap().Assign(*framePicture(6, 2, Red, Blue));
    const std::uint8_t garbage[] = { 1, 2, 3 };
    broken.Bitmap().SetDenseStream(garbage);
    EXPECT_EQ(&broken.Bitmap().ForDeviceScale(2), &broken.Bitmap());
}
