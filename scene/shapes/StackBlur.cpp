// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/StackBlur.h"

#include "scene/render/TvxBitmap.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include <sys/mman.h>

namespace nimbrell {

namespace {

using Channels = std::array<std::int32_t, 4>;

// One line of n pixels at the given stride, all four channels at once, blurred from in
// to out. The weighted sum moves by the values entering the right half minus those
// leaving the left half, so every output costs a constant number of steps; clamp maps
// a position (offset by r + 1) to the nearest pixel of the line.
void BlurLine(const Channels* in, Channels* out, int n, std::size_t stride, int r, const std::int32_t* clamp,
    std::int32_t divisor)
{
    auto at = [&](int i) -> const Channels& { return in[std::size_t(clamp[i + r + 1]) * stride]; };
    Channels sum {}, entering {}, leaving {};
    for (int i = -r; i <= r; ++i)
        for (std::size_t c = 0; c < 4; ++c)
            sum[c] += (r + 1 - std::abs(i)) * at(i)[c];
    for (int j = 1; j <= r + 1; ++j)
        for (std::size_t c = 0; c < 4; ++c)
            entering[c] += at(j)[c];
    for (int j = -r; j <= 0; ++j)
        for (std::size_t c = 0; c < 4; ++c)
            leaving[c] += at(j)[c];
    for (int x = 0; x < n; ++x) {
        Channels& o = out[std::size_t(x) * stride];
        const Channels& add = at(x + 2 + r);
        const Channels& middle = at(x + 1);
        const Channels& drop = at(x - r);
        for (std::size_t c = 0; c < 4; ++c) {
            o[c] = sum[c] / divisor;
            sum[c] += entering[c] - leaving[c];
            entering[c] += add[c] - middle[c];
            leaving[c] += middle[c] - drop[c];
        }
    }
}

// Positions −r − 1 … n + r + 2, each mapped to the nearest pixel of a line of n.
std::vector<std::int32_t> ClampIndexes(int n, int r)
{
    std::vector<std::int32_t> indexes(std::size_t(n + 2 * r + 4));
    for (std::size_t k = 0; k < indexes.size(); ++k)
        indexes[k] = std::clamp(int(k) - r - 1, 0, n - 1);
    return indexes;
}

// The two planes in one block mapped directly, so that letting go of it returns the
// pages at once whatever the allocator's state.
class Scratch {
public:
    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() { Release(); }

    Channels* Reserve(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(Channels);
        if (bytes > m_bytes) {
            Release();
            void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (block == MAP_FAILED)
                throw std::bad_alloc();
            m_block = block;
            m_bytes = bytes;
        }
        return static_cast<Channels*>(m_block);
    }
    std::size_t Bytes() const { return m_bytes; }
    void Release()
    {
        if (m_block)
            munmap(m_block, m_bytes);
        m_block = nullptr;
        m_bytes = 0;
    }

private:
    void* m_block { nullptr };
    std::size_t m_bytes { 0 };
};

thread_local Scratch scratch;

}

std::size_t BlurScratchBytes()
{
    return scratch.Bytes();
}

void ReleaseBlurScratch()
{
    scratch.Release();
}

void StackBlur(std::uint32_t* pixels, int width, int height, int radius)
{
    if (radius <= 0 || width <= 0 || height <= 0 || !pixels)
        return;
    const std::size_t w = std::size_t(width), h = std::size_t(height);
    // The largest sum, 255 × (r + 1)², fits 32 bits for every radius an effect uses (≤ 95).
    const std::int32_t divisor = (radius + 1) * (radius + 1);
    Channels* plane = scratch.Reserve(2 * w * h);
    Channels* rows = plane + w * h;
    for (std::size_t i = 0; i < w * h; ++i)
        for (std::size_t c = 0; c < 4; ++c)
            plane[i][c] = std::int32_t((pixels[i] >> (8 * c)) & 0xFF);
    const std::vector<std::int32_t> across = ClampIndexes(width, radius), down = ClampIndexes(height, radius);
    for (std::size_t y = 0; y < h; ++y)
        BlurLine(plane + y * w, rows + y * w, width, 1, radius, across.data(), divisor);
    for (std::size_t x = 0; x < w; ++x)
        BlurLine(rows + x, plane + x, height, w, radius, down.data(), divisor);
    for (std::size_t i = 0; i < w * h; ++i) {
        std::uint32_t pixel = 0;
        for (std::size_t c = 0; c < 4; ++c)
            pixel |= std::uint32_t(plane[i][c]) << (8 * c);
        pixels[i] = pixel;
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
