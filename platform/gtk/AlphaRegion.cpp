// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/AlphaRegion.h"

#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace nimbrell::platform {

namespace {

// The first pixel from x on whose alpha is above (inside false) or not above (inside
// true) the limit; width when none. A fading window changes every pixel at every
// frame and each changed row is scanned again: four pixels a step where a whole
// step continues the run.
int SkipPixels(const std::uint32_t* row, int x, int width, std::uint8_t above, bool inside)
{
#ifdef __SSE2__
    const __m128i limit = _mm_set1_epi32(above);
    const int whole = inside ? 0xF : 0;
    while (x + 4 <= width) {
        const __m128i alpha = _mm_srli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)), 24);
        if (_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(alpha, limit))) != whole)
            break;
        x += 4;
    }
#endif
    while (x < width && ((row[x] >> 24) > above) == inside)
        ++x;
    return x;
}

}

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
            x = SkipPixels(row, x, width, above, false);
            int start = x;
            x = SkipPixels(row, x, width, above, true);
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
