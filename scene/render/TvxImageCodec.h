// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The image codec: encoded image files to premultiplied 0xAARRGGBB pixels and back.
// PNG and JPEG are read and written (libpng, libjpeg-turbo). Decoding never throws;
// undecodable or oversized input reports false.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class TvxBitmap;

struct TvxDecodedImage {
    int width { 0 };
    int height { 0 };
    // Premultiplied, rows top to bottom.
    std::vector<std::uint32_t> pixels;
};

class TvxImageCodec {
public:
    // Images larger than this on a side, or in total, are refused.
    static constexpr int kMaxSide = 16384;
    static constexpr std::int64_t kMaxPixels = std::int64_t(1) << 25;

    static bool Decode(std::span<const std::uint8_t> bytes, TvxDecodedImage& image);
    // Width and height from the file header only; false when not a known image.
    static bool ReadImageSize(std::span<const std::uint8_t> bytes, int& width, int& height);

    // Into the bitmap (resized to the image); the bitmap is untouched on failure.
    static bool LoadFromStream(std::span<const std::uint8_t> bytes, TvxBitmap& bitmap);
    // format is "png", "jpeg"/"jpg", "bmp", "tif"/"tiff", "gif" (any case; others mean
    // png); parameters are blank-separated name=value pairs, only "quality" is read.
    // False, and nothing written, when no encoder handles the format.
    static bool SaveToStream(std::vector<std::uint8_t>& out, const TvxBitmap& bitmap, std::string_view parameters,
        std::string_view format);
    // Rotation in degrees about the image's centre.
    static bool LoadFromFile(const std::filesystem::path& path, TvxBitmap& bitmap, float rotation = 0);
    // (0, 0) when the file is missing or not an image.
    static bool GetImageSize(const std::filesystem::path& path, int& width, int& height);
    static std::string GetFileTypes() { return "*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.gif;*.ico"; }

    // Straight-alpha encoders over premultiplied pixels.
    static bool EncodePng(const std::uint32_t* pixels, int width, int height, std::vector<std::uint8_t>& out);
    static bool EncodeJpeg(const std::uint32_t* pixels, int width, int height, int quality, std::vector<std::uint8_t>& out);
};

}
