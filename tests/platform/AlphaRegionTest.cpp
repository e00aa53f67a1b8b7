// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/AlphaRegion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace nimbrell::platform;

namespace {

// Every pixel above the limit as its own rectangle: the region the scan must find.
Region PixelByPixel(const std::vector<std::uint32_t>& pixels, int width, int height, std::uint8_t above, int left, int top)
{
    Region region(cairo_region_create());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((pixels[std::size_t(y * width + x)] >> 24) > above) {
                cairo_rectangle_int_t pixel { left + x, top + y, 1, 1 };
                cairo_region_union_rectangle(region.get(), &pixel);
            }
        }
    }
    return region;
}

TEST(AlphaRegionTest, FindsExactlyThePixelsAboveTheLimitWhateverTheRunsLengths)
{
    // Runs of 1 to 9 pixels cross the scan's steps of four at every offset; alpha
    // values at and around the limit; rows repeated to merge.
    std::mt19937 random(7);
    for (std::uint8_t above : { std::uint8_t(0), std::uint8_t(128) }) {
        for (int width : { 1, 3, 4, 5, 17, 64, 67 }) {
            const int height = 12;
            std::vector<std::uint32_t> pixels(std::size_t(width * height));
            for (int y = 0; y < height; ++y) {
                if (y % 4 == 3) {
                    std::copy_n(pixels.begin() + (y - 1) * width, width, pixels.begin() + y * width);
                    continue;
                }
                bool inside = random() % 2;
                for (int x = 0; x < width;) {
                    const int run = 1 + int(random() % 9);
                    for (int i = 0; i < run && x < width; ++i, ++x) {
                        const std::uint32_t alpha = inside ? above + 1 + random() % (255 - above) : random() % (above + 1u);
                        pixels[std::size_t(y * width + x)] = alpha << 24 | (random() & 0xFFFFFF);
                    }
                    inside = !inside;
                }
            }
            Region found = RegionAboveAlpha(reinterpret_cast<const unsigned char*>(pixels.data()), width, height, width * 4, above, 5, -2);
            Region expected = PixelByPixel(pixels, width, height, above, 5, -2);
            EXPECT_TRUE(cairo_region_equal(found.get(), expected.get())) << "width " << width << ", above " << int(above);
        }
    }
}

}
