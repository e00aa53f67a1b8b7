// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxImageCodec.h"

#include "base/Text.h"
#include "scene/render/Color.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>
#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <fstream>

namespace nimbrell {

namespace {

bool IsPng(std::span<const std::uint8_t> b)
{
    static const std::uint8_t magic[] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    return b.size() >= 8 && std::memcmp(b.data(), magic, 8) == 0;
}

bool IsJpeg(std::span<const std::uint8_t> b)
{
    return b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

bool SizeAcceptable(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= TvxImageCodec::kMaxSide && height <= TvxImageCodec::kMaxSide
        && width * height <= TvxImageCodec::kMaxPixels;
}

// Memory order B, G, R, A is the native 0xAARRGGBB of a little-endian machine.
std::uint32_t PremultipliedFromBgra(const std::uint8_t* p)
{
    return PremultiplyColor(MakeColor(p[2], p[1], p[0], p[3]));
}

bool DecodePng(std::span<const std::uint8_t> bytes, TvxDecodedImage& out)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    if (!SizeAcceptable(image.width, image.height)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.resize(std::size_t(out.width) * std::size_t(out.height));
    for (std::size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = PremultipliedFromBgra(&buffer[i * 4]);
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegSilence(j_common_ptr, int) { }

// Everything that needs destruction lives outside the setjmp frame.
struct JpegDecodeState {
    jpeg_decompress_struct info {};
    JpegError error {};
    std::vector<std::uint8_t> row;
    std::vector<std::uint32_t> pixels;
};

bool DecodeJpeg(std::span<const std::uint8_t> bytes, TvxDecodedImage& out, bool headerOnly)
{
    JpegDecodeState state;
    state.info.err = jpeg_std_error(&state.error.manager);
    state.error.manager.error_exit = JpegErrorExit;
    state.error.manager.emit_message = JpegSilence;
    if (setjmp(state.error.jump)) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    jpeg_create_decompress(&state.info);
    jpeg_mem_src(&state.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&state.info, TRUE);
    if (!SizeAcceptable(state.info.image_width, state.info.image_height)) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    if (headerOnly) {
        out.width = static_cast<int>(state.info.image_width);
        out.height = static_cast<int>(state.info.image_height);
        jpeg_destroy_decompress(&state.info);
        return true;
    }
    state.info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&state.info);
    int width = static_cast<int>(state.info.output_width);
    int height = static_cast<int>(state.info.output_height);
    std::vector<std::uint32_t>& pixels = state.pixels;
    pixels.resize(std::size_t(width) * std::size_t(height));
    state.row.resize(std::size_t(width) * 4);
    while (state.info.output_scanline < state.info.output_height) {
        JSAMPROW rows[] = { state.row.data() };
        std::size_t y = state.info.output_scanline;
        if (jpeg_read_scanlines(&state.info, rows, 1) != 1)
            break;
        std::memcpy(&pixels[y * std::size_t(width)], state.row.data(), state.row.size());
    }
    jpeg_finish_decompress(&state.info);
    jpeg_destroy_decompress(&state.info);
    for (auto& pixel : pixels)
        pixel |= 0xFF000000u;
    out.width = width;
    out.height = height;
    out.pixels = std::move(state.pixels);
    return true;
}

struct JpegEncodeState {
    jpeg_compress_struct info {};
    JpegError error {};
    unsigned char* buffer { nullptr };
    unsigned long size { 0 };
    std::vector<std::uint8_t> row;
    ~JpegEncodeState() { std::free(buffer); }
};

int QualityParameter(std::string_view parameters)
{
    int quality = -1;
    while (!parameters.empty()) {
        std::size_t blank = parameters.find(' ');
        std::string_view pair = parameters.substr(0, blank);
        parameters = blank == std::string_view::npos ? std::string_view() : parameters.substr(blank + 1);
        std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (!EqualsIgnoringAsciiCase(pair.substr(0, equals), "quality"))
            continue;
        try {
            quality = std::stoi(std::string(pair.substr(equals + 1)));
        } catch (const std::exception&) {
        }
    }
    return quality;
}

}

bool TvxImageCodec::Decode(std::span<const std::uint8_t> bytes, TvxDecodedImage& image)
{
    TvxDecodedImage decoded;
    bool ok = false;
    if (IsPng(bytes))
        ok = DecodePng(bytes, decoded);
    else if (IsJpeg(bytes))
        ok = DecodeJpeg(bytes, decoded, false);
    if (!ok || decoded.width <= 0 || decoded.height <= 0)
        return false;
    image = std::move(decoded);
    return true;
}

bool TvxImageCodec::ReadImageSize(std::span<const std::uint8_t> bytes, int& width, int& height)
{
    width = height = 0;
    if (IsPng(bytes)) {
        png_image image {};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
            return false;
        width = static_cast<int>(image.width);
        height = static_cast<int>(image.height);
        png_image_free(&image);
        return true;
    }
    if (IsJpeg(bytes)) {
        TvxDecodedImage header;
        if (!DecodeJpeg(bytes, header, true))
            return false;
        width = header.width;
        height = header.height;
        return true;
    }
    return false;
}

bool TvxImageCodec::LoadFromStream(std::span<const std::uint8_t> bytes, TvxBitmap& bitmap)
{
    TvxDecodedImage image;
    if (!Decode(bytes, image))
        return false;
    bitmap.SetPixels(image.width, image.height, image.pixels.data());
    return true;
}

bool TvxImageCodec::EncodePng(const std::uint32_t* pixels, int width, int height, std::vector<std::uint8_t>& out)
{
    if (width <= 0 || height <= 0)
        return false;
    std::vector<std::uint8_t> straight(std::size_t(width) * std::size_t(height) * 4);
    for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height); ++i) {
        TvxColor c = UnpremultiplyColor(pixels[i]);
        straight[i * 4 + 0] = ColorBlue(c);
        straight[i * 4 + 1] = ColorGreen(c);
        straight[i * 4 + 2] = ColorRed(c);
        straight[i * 4 + 3] = ColorAlpha(c);
    }
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, straight.data(), 0, nullptr))
        return false;
    std::vector<std::uint8_t> encoded(size);
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, straight.data(), 0, nullptr))
        return false;
    encoded.resize(size);
    out.insert(out.end(), encoded.begin(), encoded.end());
    return true;
}

bool TvxImageCodec::EncodeJpeg(const std::uint32_t* pixels, int width, int height, int quality, std::vector<std::uint8_t>& out)
{
    if (width <= 0 || height <= 0)
        return false;
    JpegEncodeState state;
    state.info.err = jpeg_std_error(&state.error.manager);
    state.error.manager.error_exit = JpegErrorExit;
    state.error.manager.emit_message = JpegSilence;
    if (setjmp(state.error.jump)) {
        jpeg_destroy_compress(&state.info);
        return false;
    }
    jpeg_create_compress(&state.info);
    jpeg_mem_dest(&state.info, &state.buffer, &state.size);
    state.info.image_width = static_cast<JDIMENSION>(width);
    state.info.image_height = static_cast<JDIMENSION>(height);
    state.info.input_components = 4;
    state.info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&state.info);
    jpeg_set_quality(&state.info, quality < 0 ? 75 : std::min(quality, 100), TRUE);
    // Full-resolution colour, so pictures stored again and again keep their colours.
    if (quality >= 90) {
        for (int i = 0; i < state.info.num_components; ++i) {
            state.info.comp_info[i].h_samp_factor = 1;
            state.info.comp_info[i].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(&state.info, TRUE);
    state.row.resize(std::size_t(width) * 4);
    while (state.info.next_scanline < state.info.image_height) {
        const std::uint32_t* source = pixels + std::size_t(state.info.next_scanline) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            TvxColor c = UnpremultiplyColor(source[x]);
            state.row[std::size_t(x) * 4 + 0] = ColorBlue(c);
            state.row[std::size_t(x) * 4 + 1] = ColorGreen(c);
            state.row[std::size_t(x) * 4 + 2] = ColorRed(c);
            state.row[std::size_t(x) * 4 + 3] = 0xFF;
        }
        JSAMPROW rows[] = { state.row.data() };
        jpeg_write_scanlines(&state.info, rows, 1);
    }
    jpeg_finish_compress(&state.info);
    jpeg_destroy_compress(&state.info);
    out.insert(out.end(), state.buffer, state.buffer + state.size);
    return true;
}

bool TvxImageCodec::SaveToStream(std::vector<std::uint8_t>& out, const TvxBitmap& bitmap, std::string_view parameters,
    std::string_view format)
{
    if (bitmap.IsEmpty())
        return false;
    std::string name = AsciiLower(format);
    const std::uint32_t* pixels = bitmap.ConstBits();
    if (name == "jpeg" || name == "jpg")
        return EncodeJpeg(pixels, bitmap.Width(), bitmap.Height(), QualityParameter(parameters), out);
    // No encoder is installed for these.
    if (name == "bmp" || name == "tif" || name == "tiff" || name == "gif")
        return false;
    return EncodePng(pixels, bitmap.Width(), bitmap.Height(), out);
}

bool TvxImageCodec::LoadFromFile(const std::filesystem::path& path, TvxBitmap& bitmap, float rotation)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TvxDecodedImage image;
    if (!Decode(bytes, image))
        return false;
    float turns = rotation / 90.0f;
    if (rotation == 0) {
        bitmap.SetPixels(image.width, image.height, image.pixels.data());
        return true;
    }
    int quarter = static_cast<int>(turns);
    if (static_cast<float>(quarter) == turns) {
        quarter = ((quarter % 4) + 4) % 4;
        int w = image.width, h = image.height;
        int nw = quarter % 2 ? h : w, nh = quarter % 2 ? w : h;
        std::vector<std::uint32_t> rotated(image.pixels.size());
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int tx = x, ty = y;
                switch (quarter) {
                case 1:
                    tx = h - 1 - y;
                    ty = x;
                    break;
                case 2:
                    tx = w - 1 - x;
                    ty = h - 1 - y;
                    break;
                case 3:
                    tx = y;
                    ty = w - 1 - x;
                    break;
                default: break;
                }
                rotated[std::size_t(ty) * std::size_t(nw) + std::size_t(tx)] = image.pixels[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            }
        }
        bitmap.SetPixels(nw, nh, rotated.data());
        return true;
    }
    // Any other angle: the bounding box of the rotated image, drawn rotated about its centre.
    double radians = rotation * 3.14159265358979323846 / 180.0;
    double c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
    int nw = static_cast<int>(std::ceil(image.width * c + image.height * s));
    int nh = static_cast<int>(std::ceil(image.width * s + image.height * c));
    TvxBitmap source;
    source.SetPixels(image.width, image.height, image.pixels.data());
    bitmap.SetSize(nw, nh);
    TvxCanvas& canvas = bitmap.Canvas();
    TvxMatrix m = TvxMatrix::Translation(-image.width / 2.0f, -image.height / 2.0f) * TvxMatrix::Rotation(rotation)
        * TvxMatrix::Translation(nw / 2.0f, nh / 2.0f);
    canvas.SetMatrix(m);
    canvas.DrawBitmap(source, { 0, 0, float(image.width), float(image.height) }, { 0, 0, float(image.width), float(image.height) }, 1, false);
    canvas.SetMatrix(TvxMatrix::Identity());
    bitmap.BitmapChanged();
    return true;
}

bool TvxImageCodec::GetImageSize(const std::filesystem::path& path, int& width, int& height)
{
    width = height = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ReadImageSize(bytes, width, height);
}

}
