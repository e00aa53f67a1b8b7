// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts loaded from a stream: text names them by family afterwards.

#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"
#include "tests/support/BlockFont.h"

#include <gtest/gtest.h>

namespace nimbrell {
namespace {

// Opaque pixels of "HHHH" painted in the family at 40 pixels.
int OpaquePixelsOfText(const char* family)
{
    TvxBitmap bitmap;
    bitmap.SetSize(200, 60);
    bitmap.Clear(0);
    TvxCanvas& canvas = bitmap.Canvas();
    canvas.Fill().SetSolidColor(0xFF000000);
    canvas.Font().SetFamily(family);
    canvas.Font().SetSize(40);
    canvas.FillText({ 0, 0, 200, 60 }, {}, "HHHH", false, 1, TvxTextAlign::vgTextAlignNear);
    int opaque = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            opaque += (bitmap.Pixel(x, y) >> 24) >= 0xF0;
    return opaque;
}

}

TEST(FontStreamTest, TextInALoadedFamilyIsPaintedWithItsGlyphs)
{
    RegisterSceneRenderClasses();
    // A family no other test loads: the fonts stay loaded for the process.
    const char* family = "Nimbrell Block Stream";
    int fallback = OpaquePixelsOfText(family);
    EXPECT_GT(fallback, 200) << "the fallback family draws the letters";

    TvxBitmap scratch;
    scratch.SetSize(1, 1);
    ASSERT_TRUE(scratch.Canvas().LoadFontFromStream(testing::MakeBlockFont(family)));
    int loaded = OpaquePixelsOfText(family);
    // Four blocks of 32 × 28 pixels: far more ink than four letters.
    EXPECT_GT(loaded, 3300) << "fallback: " << fallback;
    EXPECT_GT(loaded, fallback * 2);
}

TEST(FontStreamTest, ALoadedFamilyWinsOverAnInstalledOneOfTheSameName)
{
    RegisterSceneRenderClasses();
    // Installed with the system's fonts; no other test of this program names it.
    const char* family = "DejaVu Serif";
    int installed = OpaquePixelsOfText(family);
    TvxBitmap scratch;
    scratch.SetSize(1, 1);
    ASSERT_TRUE(scratch.Canvas().LoadFontFromStream(testing::MakeBlockFont(family)));
    EXPECT_GT(OpaquePixelsOfText(family), 3300) << "installed: " << installed;
}

TEST(FontStreamTest, StreamsThatHoldNoFontAreRefused)
{
    RegisterSceneRenderClasses();
    std::vector<std::uint8_t> font = testing::MakeBlockFont("Nimbrell Block Refused");
    std::vector<std::uint8_t> text { 'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't' };
    std::vector<std::uint8_t> cut(font.begin(), font.begin() + 40);
    TvxBitmap scratch;
    scratch.SetSize(1, 1);
    TvxCanvas& canvas = scratch.Canvas();
    EXPECT_FALSE(canvas.LoadFontFromStream({}));
    EXPECT_FALSE(canvas.LoadFontFromStream(text));
    EXPECT_FALSE(canvas.LoadFontFromStream(cut));
    EXPECT_EQ(OpaquePixelsOfText("Nimbrell Block Refused"), OpaquePixelsOfText("sans-serif")) << "nothing was added";
}

}
