// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectWriter.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "scene/shapes/TvxImageList.h"
#include "tests/support/SceneObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace nimbrell {
namespace {

// A picture whose pixels encode their place; translucent ones make it a PNG.
std::unique_ptr<TvxBitmap> Picture(int w, int h, std::uint32_t alpha)
{
    return testing::MakePicture(w, h, [alpha](int x, int y) {
        return alpha << 24 | std::uint32_t(x) * alpha / 255 << 8 | std::uint32_t(y) * alpha / 255;
    });
}

std::vector<std::uint8_t> Store(TvxComponent& component)
{
    std::vector<std::uint8_t> out;
    ObjectWriter(out).WriteRoot(component);
    return out;
}

// The bytes of the binary property: after its name, vaBinary and a 32-bit length.
std::vector<std::uint8_t> BinaryProperty(const std::vector<std::uint8_t>& stream, std::string_view name)
{
    std::string key = std::string(1, char(name.size())) + std::string(name);
    auto at = std::search(stream.begin(), stream.end(), key.begin(), key.end());
    if (at == stream.end())
        return {};
    auto p = at + std::ptrdiff_t(key.size());
    EXPECT_EQ(*p, std::uint8_t(TValueType::vaBinary));
    std::uint32_t length = 0;
    std::memcpy(&length, &*(p + 1), 4);
    return { p + 5, p + 5 + std::ptrdiff_t(length) };
}

std::uint32_t LittleEndian(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24;
}

class ImageListTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterSceneShapeClasses(); }
};

TEST_F(ImageListTest, StoredPicturesRoundTripByteForByte)
{
    TvxImageList list(nullptr);
    list.SetWidth(175);
    list.SetHeight(120);
    EXPECT_EQ(list.Add(*Picture(17, 12, 0x80)), 0);
    EXPECT_EQ(list.Add(*Picture(9, 7, 0xFF)), 1);
    std::vector<std::uint8_t> stored = Store(list);

    // Count, then each picture's length and its encoded file: PNG when translucent,
    // JPEG when opaque.
    std::vector<std::uint8_t> images = BinaryProperty(stored, "Images");
    ASSERT_GE(images.size(), 8u);
    EXPECT_EQ(LittleEndian(images, 0), 2u);
    std::uint32_t first = LittleEndian(images, 4);
    EXPECT_EQ(std::memcmp(&images[8], "\x89PNG", 4), 0);
    std::size_t second = 8 + first;
    std::uint32_t secondLength = LittleEndian(images, second);
    EXPECT_EQ(images[second + 4], 0xFF);
    EXPECT_EQ(images[second + 5], 0xD8);
    EXPECT_EQ(second + 4 + secondLength, images.size());
    EXPECT_TRUE(BinaryProperty(stored, "Bitmap").empty());

    // Pictures never asked for are stored again as they were read, undecoded.
    TvxImageList untouched(nullptr);
    ReadObjectStream(stored, untouched);
    EXPECT_EQ(Store(untouched), stored);

    TvxImageList copy(nullptr);
    ReadObjectStream(stored, copy);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Width(), 175);
    EXPECT_EQ(copy.Height(), 120);
    EXPECT_EQ(copy.GetImage(0)->Width(), 17);
    // Decoded pixels match within the rounding of premultiplying.
    std::uint32_t original = list.GetImage(0)->Pixel(16, 11), decoded = copy.GetImage(0)->Pixel(16, 11);
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(int(decoded >> shift & 0xFF), int(original >> shift & 0xFF), 1);
    EXPECT_EQ(copy.GetImage(1)->Height(), 7);
    EXPECT_EQ(Store(copy), stored);

    // A copy of a picture the list has not decoded is the same picture.
    TvxBitmap target;
    ASSERT_TRUE(untouched.CopyImage(0, target));
    EXPECT_EQ(target.Width(), 17);
    EXPECT_EQ(target.Pixel(16, 11), decoded);
    EXPECT_EQ(Store(untouched), stored);
}

TEST_F(ImageListTest, IndexesOutsideTheListGiveNoPicture)
{
    TvxImageList list(nullptr);
    EXPECT_EQ(list.GetImage(0), nullptr);
    list.Add(*Picture(4, 3, 0xFF));
    list.Add(*Picture(5, 3, 0xFF));
    EXPECT_EQ(list.GetImage(-1), nullptr);
    EXPECT_EQ(list.GetImage(list.Count()), nullptr);
    ASSERT_NE(list.GetImage(0), nullptr);
    EXPECT_EQ(list.GetImage(0)->Width(), 4);

    TvxBitmap target;
    target.Assign(*Picture(2, 2, 0xFF));
    EXPECT_FALSE(list.CopyImage(2, target));
    EXPECT_EQ(target.Width(), 2);
    EXPECT_TRUE(list.CopyImage(1, target));
    EXPECT_EQ(target.Width(), 5);
    EXPECT_EQ(target.Pixel(4, 2), list.GetImage(1)->Pixel(4, 2));
    // The copy is the caller's own.
    target.Clear(0);
    EXPECT_NE(list.GetImage(1)->Pixel(4, 2), 0u);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetImage(0), nullptr);
}

TEST_F(ImageListTest, DenseScreensGetThePictureOfTwiceTheDensityWhereThereIsOne)
{
    TvxImageList list(nullptr);
    list.Add(*Picture(17, 12, 0x80));
    list.Add(*Picture(9, 7, 0xFF));
    list.AddDense(*Picture(34, 24, 0x80));
    std::vector<std::uint8_t> stored = Store(list);
    EXPECT_EQ(LittleEndian(BinaryProperty(stored, "Images2x"), 0), 1u);

    // Read back undecoded, so the copies decode from the dense block too.
    TvxImageList copy(nullptr);
    ReadObjectStream(stored, copy);
    ASSERT_EQ(copy.DenseCount(), 1);
    EXPECT_EQ(Store(copy), stored);
    struct Case {
        int index;
        float scale;
        int width;
    } cases[] = { { 0, 1, 17 }, { 0, 1.49f, 17 }, { 0, 1.5f, 34 }, { 0, 2, 34 }, { 0, 3, 34 }, { 0, 1, 17 }, { 1, 2, 9 } };
    for (const Case& c : cases) {
        TvxBitmap target;
        ASSERT_TRUE(copy.CopyImage(c.index, target, c.scale));
        EXPECT_EQ(target.Width(), c.width) << c.index << " at " << c.scale;
    }
    // The dense picture's own pixels, not the other one enlarged.
    TvxBitmap dense;
    ASSERT_TRUE(copy.CopyImage(0, dense, 2));
    std::uint32_t expected = Picture(34, 24, 0x80)->Pixel(33, 23), decoded = dense.Pixel(33, 23);
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(int(decoded >> shift & 0xFF), int(expected >> shift & 0xFF), 1);
}

TEST_F(ImageListTest, EmptyListStoresNoImagesAndFaultyBlocksAreRefused)
{
    TvxImageList empty(nullptr);
    std::vector<std::uint8_t> stored = Store(empty);
    std::string_view name = "Images";
    EXPECT_EQ(std::search(stored.begin(), stored.end(), name.begin(), name.end()), stored.end());
    TvxImageList loaded(nullptr);
    ReadObjectStream(stored, loaded);
    EXPECT_EQ(loaded.Count(), 0);

    TvxImageList list(nullptr);
    list.Add(*Picture(3, 3, 0x40));
    std::vector<std::uint8_t> images;
    list.WriteImages(images);

    // Reading appends to what the list holds.
    TvxImageList target(nullptr);
    target.ReadImages(images);
    target.ReadImages(images);
    EXPECT_EQ(target.Count(), 2);

    // A block cut short, or with a length beyond its end, keeps what came before.
    std::vector<std::uint8_t> cut(images.begin(), images.end() - 1);
    TvxImageList partial(nullptr);
    EXPECT_THROW(partial.ReadImages(cut), std::runtime_error);
    EXPECT_EQ(partial.Count(), 0);
    std::vector<std::uint8_t> lying = images;
    lying[4] = 0xFF;
    lying[5] = 0xFF;
    lying[6] = 0xFF;
    lying[7] = 0x7F;
    EXPECT_THROW(partial.ReadImages(lying), std::runtime_error);
    std::vector<std::uint8_t> negative { 0xFF, 0xFF, 0xFF, 0xFF };
    EXPECT_THROW(partial.ReadImages(negative), std::runtime_error);

    // Bytes that are no picture keep their place as an empty picture.
    std::vector<std::uint8_t> junk { 2, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c' };
    junk.insert(junk.end(), images.begin() + 4, images.end());
    TvxImageList mixed(nullptr);
    mixed.ReadImages(junk);
    ASSERT_EQ(mixed.Count(), 2);
    EXPECT_TRUE(mixed.GetImage(0)->IsEmpty());
    EXPECT_EQ(mixed.GetImage(1)->Width(), 3);
}

}
}
