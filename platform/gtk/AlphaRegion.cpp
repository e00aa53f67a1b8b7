// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/AlphaRegion.h"

#include <utility>
#include <vector>

namespace nimbrell::platform {

Region RegionAboveAlpha(const unsigned char* pixels, int width, int height, int strideBytes, std::uint8_t above, int left, int top)
{
    // Runs of such pixels, row by row; equal consecutive rows merge.
    std::vector<cairo_rectangle_int_t> rectangles;
    std::vector<std::pair<int, int>> previousRuns;
    std::vector<std::size_t> previousIndices;
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * strideBytes);
        runs.clear();
        for (int x = 0; x < width;) {
            while (x < width && (row[x] >> 24) <= above)
                ++x;
            int start = x;
            while (x < width && (row[x] >> 24) > above)
                ++x;
            if (x > start)
                runs.emplace_back(start, x);
        }
        if (runs == previousRuns) {
            for (auto index : previousIndices)
                ++rectangles[index].height;
            continue;
        }
        previousIndices.clear();
        for (auto [start, end] : runs) {
            previousIndices.push_back(rectangles.size());
            rectangles.push_back({ left + start, top + y, end - start, 1 });
        }
        previousRuns = runs;
    }
    return Region(cairo_region_create_rectangles(rectangles.data(), static_cast<int>(rectangles.size())));
}

cairo_rectangle_int_t RectInUnits(const cairo_rectangle_int_t& pixels, int scale)
{
    auto down = [scale](int value) { return value >= 0 ? value / scale : -((-value + scale - 1) / scale); };
    auto up = [&down, scale](int value) { return -down(-value); };
    const int left = down(pixels.x), top = down(pixels.y);
    return { left, top, up(pixels.x + pixels.width) - left, up(pixels.y + pixels.height) - top };
}

Region RegionInUnits(const cairo_region_t* pixels, int scale)
{
    std::vector<cairo_rectangle_int_t> rectangles(static_cast<std::size_t>(cairo_region_num_rectangles(pixels)));
    for (std::size_t i = 0; i < rectangles.size(); ++i) {
        cairo_region_get_rectangle(pixels, static_cast<int>(i), &rectangles[i]);
        rectangles[i] = RectInUnits(rectangles[i], scale);
    }
    return Region(cairo_region_create_rectangles(rectangles.data(), static_cast<int>(rectangles.size())));
}

}
