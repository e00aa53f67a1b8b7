// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxObject.h"
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxBitmapObject.h"
#include "scene/render/TvxCanvas.h"
#include "scene/render/TvxImageCodec.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace nimbrell {
namespace {

using Bytes = std::vector<std::uint8_t>;

class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterSceneRenderClasses(); }
};

TEST_F(BitmapTest, ClearPremultipliesAndClearRectClamps)
{
    TvxBitmap bitmap(4, 3);
    int changes = 0;
    bitmap.OnChanged = [&] { ++changes; };
    bitmap.Clear(0x00FFFFFF);
    EXPECT_EQ(bitmap.Pixel(2, 1), 0u);
    bitmap.Clear(0xFF123456);
    EXPECT_EQ(bitmap.Pixel(3, 2), 0xFF123456u);
    bitmap.Clear(0x80FF0000);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x80800000u);
    EXPECT_EQ(changes, 3);

    // (trunc(-1.7), trunc(1.9)) to (round(2.5), round(9)) → columns 0..1, rows 1..2.
    bitmap.Clear(0);
    bitmap.ClearRect({ -1.7f, 1.9f, 2.5f, 9 }, 0xFF0000FF);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0u);
    EXPECT_EQ(bitmap.Pixel(0, 1), 0xFF0000FFu);
    EXPECT_EQ(bitmap.Pixel(1, 2), 0xFF0000FFu);
    EXPECT_EQ(bitmap.Pixel(2, 2), 0u);
}

TEST_F(BitmapTest, StoredFormIsJpegWhenOpaqueElsePng)
{
    TvxBitmap bitmap(8, 8);
    bitmap.Clear(0xFF336699);
    Bytes bytes;
    bitmap.SaveToStream(bytes);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    TvxBitmap back;
    ASSERT_TRUE(back.LoadFromStream(bytes));
    EXPECT_EQ(back.Width(), 8);
    std::uint32_t p = back.Pixel(4, 4);
    EXPECT_NEAR(int(p >> 16 & 0xFF), 0x33, 2);
    EXPECT_NEAR(int(p & 0xFF), 0x99, 2);

    bitmap.Bits()[5] = 0x80800000;
    bitmap.MarkDirty();
    bytes.clear();
    bitmap.SaveToStream(bytes);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes { 0x89, 0x50, 0x4E, 0x47 }));
    ASSERT_TRUE(back.LoadFromStream(bytes));
    EXPECT_EQ(back.Pixel(5, 0), 0x80800000u);
    EXPECT_EQ(back.Pixel(0, 0), 0xFF336699u);
}

TEST_F(BitmapTest, UntouchedPicturesAreStoredAsRead)
{
    TvxBitmap source(6, 6);
    source.Clear(0xFF8040C0);
    Bytes jpeg;
    ASSERT_TRUE(TvxImageCodec::EncodeJpeg(source.ConstBits(), 6, 6, 80, jpeg));
    TvxBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromStream(jpeg));
    Bytes saved;
    bitmap.SaveToStream(saved);
    EXPECT_EQ(saved, jpeg);
    TvxBitmap copy;
    copy.Assign(bitmap);
    saved.clear();
    copy.SaveToStream(saved);
    EXPECT_EQ(saved, jpeg);

    // Drawing or writing pixels makes the stored form follow the pixels.
    copy.Canvas().FillRect({ 0, 0, 1, 1 }, 0, 0, kAllCorners, 1);
    saved.clear();
    copy.SaveToStream(saved);
    EXPECT_NE(saved, jpeg);
    bitmap.Bits()[0] = 0x80800000;
    saved.clear();
    bitmap.SaveToStream(saved);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 4), (Bytes { 0x89, 0x50, 0x4E, 0x47 }));

    // An opaque PNG is stored as JPEG, as any opaque picture is.
    Bytes png;
    ASSERT_TRUE(TvxImageCodec::EncodePng(source.ConstBits(), 6, 6, png));
    ASSERT_TRUE(bitmap.LoadFromStream(png));
    saved.clear();
    bitmap.SaveToStream(saved);
    EXPECT_EQ(saved[0], 0xFF);
}

TEST_F(BitmapTest, TransparentPngLoadsToZeroPixels)
{
    TvxBitmap source(175, 120);
    source.ClearRect({ 10, 10, 50, 50 }, 0xFF20A040);
    Bytes png;
    ASSERT_TRUE(TvxImageCodec::EncodePng(source.ConstBits(), 175, 120, png));
    TvxBitmap bitmap;
    int changes = 0;
    bitmap.OnChanged = [&] { ++changes; };
    ASSERT_TRUE(bitmap.LoadFromStream(png));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bitmap.Width(), 175);
    EXPECT_EQ(bitmap.Height(), 120);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0u);
    EXPECT_EQ(bitmap.Pixel(174, 119), 0u);
    EXPECT_EQ(bitmap.Pixel(20, 20), 0xFF20A040u);
}

TEST_F(BitmapTest, UndecodableBytesLeaveTheBitmapUnchanged)
{
    TvxBitmap bitmap(2, 2);
    bitmap.Clear(0xFF010203);
    const Bytes cases[] = { {}, { 0x89, 'P', 'N', 'G' }, { 0xFF, 0xD8, 0xFF, 0xE0, 0, 0 }, { 'G', 'I', 'F', '8' } };
    for (const Bytes& bytes : cases) {
        EXPECT_FALSE(bitmap.LoadFromStream(bytes));
        EXPECT_EQ(bitmap.Width(), 2);
        EXPECT_EQ(bitmap.Pixel(1, 1), 0xFF010203u);
    }
}

TEST_F(BitmapTest, AssignCopiesPixelsOrTheResourceReference)
{
    TvxBitmapObject holder(nullptr);
    holder.SetResourceName("frame");
    holder.Bitmap().SetSize(3, 3);
    holder.Bitmap().Clear(0xFFFF0000);

    TvxBitmap named;
    named.SetResourceName("frame");
    ASSERT_EQ(named.ResourceBitmap(), &holder.Bitmap());

    TvxBitmap copy(1, 1);
    copy.Assign(named);
    EXPECT_EQ(copy.ResourceName(), "frame");
    EXPECT_EQ(copy.Width(), 1); // the reference, not the pixels
    EXPECT_EQ(copy.ResourceBitmap(), &holder.Bitmap());

    TvxBitmap pixels;
    pixels.Assign(holder.Bitmap());
    EXPECT_EQ(pixels.Width(), 3);
    EXPECT_EQ(pixels.Pixel(2, 2), 0xFFFF0000u);

    TvxBitmapObject other(nullptr);
    EXPECT_THROW(pixels.Assign(other), std::invalid_argument);
    EXPECT_EQ(pixels.Width(), 3);
}

TEST_F(BitmapTest, PixelUtilities)
{
    TvxBitmap bitmap(2, 3);
    std::uint32_t* bits = bitmap.Bits();
    bits[0] = 0xFF0000FF;
    bits[5] = 0x80000000;
    bitmap.FlipHorizontal();
    EXPECT_EQ(bitmap.Pixel(0, 2), 0xFF0000FFu);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x80000000u);

    bitmap.FillColor(0xFF00FF00);
    EXPECT_EQ(bitmap.Pixel(0, 2), 0xFF00FF00u);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x80008000u);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0u);

    auto mask = bitmap.CreateMask();
    EXPECT_EQ(mask[4], 0xFF);
    EXPECT_EQ(mask[1], 0x80);
    bitmap.ApplyMask(mask, 0, 0);
    EXPECT_EQ(bitmap.Pixel(0, 2), 0u); // fully masked away
}

TEST_F(BitmapTest, FilesLoadWithQuarterTurns)
{
    TvxBitmap source(3, 2);
    source.Bits()[0] = 0xFFFF0000;
    source.MarkDirty();
    nimbrell::testing::TempDirectory directory;
    auto path = directory.Path() / "bitmap.png";
    ASSERT_TRUE(source.SaveToFile(path));
    TvxBitmap turned;
    ASSERT_TRUE(turned.LoadFromFile(path, 90));
    EXPECT_EQ(turned.Width(), 2);
    EXPECT_EQ(turned.Height(), 3);
    EXPECT_EQ(turned.Pixel(1, 0), 0xFFFF0000u);
    int w = 0, h = 0;
    EXPECT_TRUE(TvxImageCodec::GetImageSize(path, w, h));
    EXPECT_EQ(w, 3);
    std::filesystem::remove(path);
    EXPECT_FALSE(turned.LoadFromFile(path));
    EXPECT_EQ(turned.Width(), 2);
}

}
}
