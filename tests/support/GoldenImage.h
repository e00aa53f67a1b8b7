// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Comparing a painted picture with a committed reference picture, channel by channel with
// a tolerance. NIMBRELL_UPDATE_GOLDEN=1 rewrites the reference instead and fails the test,
// so that every rewritten picture is looked at before it is committed.

#include "scene/render/TvxBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace nimbrell::testing {

inline int Channel(std::uint32_t pixel, int shift)
{
    return static_cast<int>((pixel >> shift) & 0xFF);
}

inline void ExpectLikeReference(TvxBitmap& painted, const std::filesystem::path& reference, int tolerance)
{
    const char* update = std::getenv("NIMBRELL_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(painted.SaveToFile(reference));
        FAIL() << "rewrote " << reference << "; look at it, then run again without NIMBRELL_UPDATE_GOLDEN";
    }
    TvxBitmap expected;
    ASSERT_TRUE(expected.LoadFromFile(reference)) << reference;
    ASSERT_EQ(expected.Width(), painted.Width());
    ASSERT_EQ(expected.Height(), painted.Height());
    int worst = 0;
    int worstX = 0;
    int worstY = 0;
    for (int y = 0; y < painted.Height(); ++y) {
        for (int x = 0; x < painted.Width(); ++x) {
            for (int shift : { 0, 8, 16, 24 }) {
                int difference = std::abs(Channel(painted.Pixel(x, y), shift) - Channel(expected.Pixel(x, y), shift));
                if (difference > worst) {
                    worst = difference;
                    worstX = x;
                    worstY = y;
                }
            }
        }
    }
    EXPECT_LE(worst, tolerance) << reference.filename() << ": worst channel difference at (" << worstX << ", " << worstY << ")";
}

}
