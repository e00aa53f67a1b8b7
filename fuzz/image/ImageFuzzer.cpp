// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the image decoders; what decodes must be well formed
// (premultiplied) and must encode again.

#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxImageCodec.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nimbrell;
    std::span<const std::uint8_t> bytes(data, size);
    int width = 0, height = 0;
    TvxImageCodec::ReadImageSize(bytes, width, height);

    TvxBitmap bitmap;
    if (!bitmap.LoadFromStream(bytes))
        return 0;
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
        std::abort();
    const std::uint32_t* bits = bitmap.ConstBits();
    for (std::size_t i = 0; i < std::size_t(bitmap.Width()) * std::size_t(bitmap.Height()); ++i) {
        std::uint32_t alpha = bits[i] >> 24;
        if ((bits[i] >> 16 & 0xFF) > alpha || (bits[i] >> 8 & 0xFF) > alpha || (bits[i] & 0xFF) > alpha)
            std::abort();
    }
    // Small pictures also go back through the encoders.
    if (std::size_t(bitmap.Width()) * std::size_t(bitmap.Height()) <= 4096) {
        std::vector<std::uint8_t> encoded;
        bitmap.SaveToStream(encoded);
        if (encoded.empty())
            std::abort();
    }
    return 0;
}
