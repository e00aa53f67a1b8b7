#include "scene/shapes/StackBlur.h"

#include "scene/render/TvxBitmap.h"

#include <algorithm>
#include <vector>

namespace nimbrell {

namespace {

// One line of n values at the given stride, blurred from in to out. The weighted sum
// moves by the values entering the right half minus those leaving the left half, so
// every output costs a constant number of steps.
void BlurLine(const std::int32_t* in, std::int32_t* out, int n, std::size_t stride, int r, std::int64_t divisor)
{
    auto at = [&](int i) { return std::int64_t(in[std::size_t(std::clamp(i, 0, n - 1)) * stride]); };
    std::int64_t sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += (r + 1 - std::abs(i)) * at(i);
    std::int64_t entering = 0; // values x + 1 … x + 1 + r
    std::int64_t leaving = 0;  // values x − r … x
    for (int j = 1; j <= r + 1; ++j)
        entering += at(j);
    for (int j = -r; j <= 0; ++j)
        leaving += at(j);
    for (int x = 0; x < n; ++x) {
        out[std::size_t(x) * stride] = static_cast<std::int32_t>(sum / divisor);
        sum += entering - leaving;
        entering += at(x + 2 + r) - at(x + 1);
        leaving += at(x + 1) - at(x - r);
    }
}

}

void StackBlur(std::uint32_t* pixels, int width, int height, int radius)
{
    if (radius <= 0 || width <= 0 || height <= 0 || !pixels)
        return;
    const std::size_t w = std::size_t(width), h = std::size_t(height);
    const std::int64_t divisor = std::int64_t(radius + 1) * (radius + 1);
    std::vector<std::int32_t> plane(w * h), rows(w * h);
    for (int shift = 0; shift < 32; shift += 8) {
        for (std::size_t i = 0; i < w * h; ++i)
            plane[i] = std::int32_t((pixels[i] >> shift) & 0xFF);
        for (std::size_t y = 0; y < h; ++y)
            BlurLine(plane.data() + y * w, rows.data() + y * w, width, 1, radius, divisor);
        for (std::size_t x = 0; x < w; ++x)
            BlurLine(rows.data() + x, plane.data() + x, height, w, radius, divisor);
        const std::uint32_t keep = ~(std::uint32_t(0xFF) << shift);
        for (std::size_t i = 0; i < w * h; ++i)
            pixels[i] = (pixels[i] & keep) | (std::uint32_t(plane[i]) << shift);
    }
}

void StackBlur(TvxBitmap& bitmap, int radius)
{
    if (radius <= 0 || bitmap.IsEmpty())
        return;
    StackBlur(bitmap.Bits(), bitmap.Width(), bitmap.Height(), radius);
    bitmap.MarkDirty();
}

}
