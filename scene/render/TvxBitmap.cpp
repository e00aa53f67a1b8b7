// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxBitmap.h"

#include "base/Text.h"
#include "scene/core/TvxFiler.h"
#include "scene/core/TvxMatrix.h"
#include "scene/core/TvxObject.h"
#include "scene/render/TvxBitmapObject.h"
#include "scene/render/TvxCanvas.h"
#include "scene/render/TvxImageCodec.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBitmap, TvxPersistent)
{
    c.Reference("Resource", &TvxBitmap::Resource, &TvxBitmap::SetResource).NeverStored();
    c.Text("ResourceName", &TvxBitmap::ResourceName, &TvxBitmap::SetResourceName);
}

// The picture of twice the density: the bytes as stored until first decoded.
struct TvxBitmap::DenseImage {
    std::vector<std::uint8_t> encoded;
    std::unique_ptr<TvxBitmap> picture;
};

TvxBitmap::TvxBitmap() = default;

TvxBitmap::TvxBitmap(int width, int height)
{
    Create(width, height);
}

TvxBitmap::~TvxBitmap()
{
    Release();
}

void TvxBitmap::Release()
{
    Modified();
    m_canvas.reset();
    if (m_surface)
        cairo_surface_destroy(m_surface);
    m_surface = nullptr;
    m_width = 0;
    m_height = 0;
}

void TvxBitmap::Create(int width, int height)
{
    Release();
    if (width <= 0 || height <= 0)
        return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        throw std::bad_alloc();
    }
    // Cairo clears new image surfaces; the canvas relies on a stride of width × 4.
    if (cairo_image_surface_get_stride(surface) != width * 4) {
        cairo_surface_destroy(surface);
        throw std::runtime_error("unexpected image stride");
    }
    m_surface = surface;
    m_width = width;
    m_height = height;
}

void TvxBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    Create(width, height);
    Changed();
}

void TvxBitmap::SetPixels(int width, int height, const std::uint32_t* pixels)
{
    if (width != m_width || height != m_height)
        Create(width, height);
    if (!IsEmpty()) {
        std::memcpy(Bits(), pixels, std::size_t(width) * std::size_t(height) * 4);
        MarkDirty();
    }
    Changed();
}

void TvxBitmap::Modified()
{
    m_stored.clear();
    m_dense.reset();
    if (m_scaled)
        cairo_surface_destroy(m_scaled);
    m_scaled = nullptr;
}

cairo_surface_t* TvxBitmap::ScaledCopy(int width, int height) const
{
    if (!m_surface || width <= 0 || height <= 0)
        return nullptr;
    if (m_scaled && cairo_image_surface_get_width(m_scaled) == width && cairo_image_surface_get_height(m_scaled) == height)
        return m_scaled;
    if (m_scaled)
        cairo_surface_destroy(m_scaled);
    m_scaled = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(m_scaled);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(m_surface);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, double(m_width) / width, double(m_height) / height);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source(cr, pattern);
    cairo_paint(cr);
    cairo_pattern_destroy(pattern);
    cairo_destroy(cr);
    return m_scaled;
}

const TvxBitmap& TvxBitmap::ForDeviceScale(float deviceScale) const
{
    if (deviceScale < 1.5f || !m_dense || IsEmpty())
        return *this;
    if (!m_dense->picture) {
        m_dense->picture = std::make_unique<TvxBitmap>();
        m_dense->picture->LoadFromStream(m_dense->encoded);
        // The decoded picture keeps the bytes it came from when it can write them back.
        m_dense->encoded = {};
    }
    return m_dense->picture->IsEmpty() ? *this : *m_dense->picture;
}

void TvxBitmap::SetDense(const TvxBitmap* picture)
{
    m_dense.reset();
    if (picture && !picture->IsEmpty()) {
        m_dense = std::make_unique<DenseImage>();
        m_dense->picture = std::make_unique<TvxBitmap>();
        m_dense->picture->Assign(*picture);
    }
    Changed();
}

void TvxBitmap::SetDenseStream(std::span<const std::uint8_t> bytes)
{
    m_dense = std::make_unique<DenseImage>();
    m_dense->encoded.assign(bytes.begin(), bytes.end());
    Changed();
}

std::uint32_t* TvxBitmap::Bits()
{
    Modified();
    if (!m_surface)
        return nullptr;
    cairo_surface_flush(m_surface);
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(m_surface));
}

const std::uint32_t* TvxBitmap::ConstBits() const
{
    if (!m_surface)
        return nullptr;
    cairo_surface_flush(m_surface);
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(m_surface));
}

std::uint32_t* TvxBitmap::Scanline(int row)
{
    if (IsEmpty() || row < 0 || row >= m_height)
        return nullptr;
    return Bits() + std::size_t(row) * std::size_t(m_width);
}

std::uint32_t TvxBitmap::Pixel(int x, int y) const
{
    if (IsEmpty() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return ConstBits()[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
}

void TvxBitmap::MarkDirty()
{
    Modified();
    if (m_surface)
        cairo_surface_mark_dirty(m_surface);
}

void TvxBitmap::Clear(TvxColor color)
{
    if (!IsEmpty()) {
        std::fill_n(Bits(), std::size_t(m_width) * std::size_t(m_height), PremultiplyColor(color));
        MarkDirty();
    }
    Changed();
}

void TvxBitmap::ClearRect(const TvxRect& rect, TvxColor color)
{
    if (IsEmpty())
        return;
    int left = std::max(0, static_cast<int>(std::trunc(rect.Left)));
    int top = std::max(0, static_cast<int>(std::trunc(rect.Top)));
    int right = std::min(m_width, static_cast<int>(RoundHalfEven(rect.Right)));
    int bottom = std::min(m_height, static_cast<int>(RoundHalfEven(rect.Bottom)));
    if (left >= right || top >= bottom)
        return;
    std::uint32_t value = PremultiplyColor(color);
    std::uint32_t* bits = Bits();
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = bits + std::size_t(y) * std::size_t(m_width) + std::size_t(left);
        // Frames clear to transparent: a byte fill runs many pixels a step.
        if (value == 0)
            std::memset(row, 0, std::size_t(right - left) * sizeof *row);
        else
            std::fill(row, row + (right - left), value);
    }
    MarkDirty();
}

void TvxBitmap::BitmapChanged()
{
    MarkDirty();
    Changed();
}

void TvxBitmap::FlipHorizontal()
{
    if (IsEmpty())
        return;
    std::uint32_t* bits = Bits();
    std::size_t width = std::size_t(m_width);
    for (int y = 0; y < m_height / 2; ++y)
        std::swap_ranges(bits + std::size_t(y) * width, bits + std::size_t(y + 1) * width, bits + std::size_t(m_height - 1 - y) * width);
    MarkDirty();
}

void TvxBitmap::InvertAlpha()
{
    if (IsEmpty())
        return;
    std::uint32_t* bits = Bits();
    for (std::size_t i = 0; i < std::size_t(m_width) * std::size_t(m_height); ++i) {
        TvxColor straight = UnpremultiplyColor(bits[i]);
        bits[i] = PremultiplyColor((straight & 0x00FFFFFFu) | (std::uint32_t(255 - ColorAlpha(straight)) << 24));
    }
    MarkDirty();
}

void TvxBitmap::FillColor(TvxColor color)
{
    if (IsEmpty())
        return;
    std::uint32_t* bits = Bits();
    for (std::size_t i = 0; i < std::size_t(m_width) * std::size_t(m_height); ++i) {
        std::uint32_t a = bits[i] >> 24;
        if (a == 0) {
            bits[i] = 0;
            continue;
        }
        TvxColor c = color;
        if (a != 255)
            c = (color & 0x00FFFFFFu) | ((ColorAlpha(color) * a / 255) << 24);
        bits[i] = PremultiplyColor(c);
    }
    MarkDirty();
}

std::vector<std::uint8_t> TvxBitmap::CreateMask() const
{
    std::vector<std::uint8_t> mask;
    if (IsEmpty())
        return mask;
    const std::uint32_t* bits = ConstBits();
    mask.resize(std::size_t(m_width) * std::size_t(m_height));
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<std::uint8_t>(bits[i] >> 24);
    return mask;
}

void TvxBitmap::ApplyMask(std::span<const std::uint8_t> mask, int dx, int dy)
{
    if (IsEmpty() || mask.size() < std::size_t(m_width) * std::size_t(m_height))
        return;
    std::uint32_t* bits = Bits();
    for (int y = 0; y < m_height; ++y) {
        int sy = y - dy;
        if (sy < 0 || sy >= m_height)
            continue;
        for (int x = 0; x < m_width; ++x) {
            int sx = x - dx;
            if (sx < 0 || sx >= m_width)
                continue;
            std::uint8_t m = mask[std::size_t(sy) * std::size_t(m_width) + std::size_t(sx)];
            if (m == 0)
                continue;
            std::uint32_t& pixel = bits[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
            TvxColor straight = UnpremultiplyColor(pixel);
            std::uint32_t alpha = ColorAlpha(straight) * (255u - m) / 255u;
            pixel = PremultiplyColor((straight & 0x00FFFFFFu) | (alpha << 24));
        }
    }
    MarkDirty();
}

bool TvxBitmap::LoadFromStream(std::span<const std::uint8_t> bytes)
{
    if (!TvxImageCodec::LoadFromStream(bytes, *this))
        return false;
    // Kept only when it is what saving would choose: JPEG for opaque pictures, PNG otherwise.
    const std::uint32_t* bits = ConstBits();
    bool opaque = std::all_of(bits, bits + std::size_t(m_width) * std::size_t(m_height), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    bool jpeg = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    if (opaque == jpeg)
        m_stored.assign(bytes.begin(), bytes.end());
    return true;
}

void TvxBitmap::SaveToStream(std::vector<std::uint8_t>& out) const
{
    if (IsEmpty())
        return;
    if (!m_stored.empty()) {
        out.insert(out.end(), m_stored.begin(), m_stored.end());
        return;
    }
    const std::uint32_t* bits = ConstBits();
    bool opaque = std::all_of(bits, bits + std::size_t(m_width) * std::size_t(m_height), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    if (opaque)
        TvxImageCodec::SaveToStream(out, *this, "quality=100", "jpeg");
    else
        TvxImageCodec::SaveToStream(out, *this, {}, "png");
}

bool TvxBitmap::LoadFromFile(const std::filesystem::path& path, float rotation)
{
    return TvxImageCodec::LoadFromFile(path, *this, rotation);
}

bool TvxBitmap::SaveToFile(const std::filesystem::path& path, std::string_view parameters) const
{
    std::string extension = path.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::vector<std::uint8_t> bytes;
    if (!TvxImageCodec::SaveToStream(bytes, *this, parameters, extension))
        return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

TvxCanvas& TvxBitmap::Canvas()
{
    Modified();
    if (!m_canvas)
        m_canvas = TvxCanvas::CreateForBitmap(*this);
    return *m_canvas;
}

TvxBitmapObject* TvxBitmap::Resource() const
{
    return m_resource.Held<TvxBitmapObject>();
}

void TvxBitmap::SetResource(TvxBitmapObject* object)
{
    if (object == Resource())
        return;
    m_resource.Set(object, object ? object->ResourceName() : std::string());
    Changed();
}

void TvxBitmap::SetResourceName(std::string_view name)
{
    if (m_resource.SetName(name))
        Changed();
}

TvxBitmap* TvxBitmap::ResourceBitmap() const
{
    TvxBitmapObject* object = m_resource.Resolve<TvxBitmapObject>();
    return object ? &object->Bitmap() : nullptr;
}

void TvxBitmap::Assign(const TvxPersistent& source)
{
    auto* other = dynamic_cast<const TvxBitmap*>(&source);
    if (!other)
        throw std::invalid_argument(Format("Cannot assign a %s to a %s", std::string(source.Class().Name()).c_str(), "TvxBitmap"));
    if (other == this)
        return;
    if (other->Resource() || !other->ResourceName().empty()) {
        m_resource.Set(other->Resource(), other->ResourceName());
        Changed();
        return;
    }
    m_resource.Set(nullptr, {});
    if (other->IsEmpty()) {
        if (!IsEmpty())
            Create(0, 0);
        m_dense.reset();
        Changed();
        return;
    }
    SetPixels(other->m_width, other->m_height, other->ConstBits());
    m_stored = other->m_stored;
    if (const DenseImage* dense = other->m_dense.get()) {
        // Still encoded, it is copied encoded: a copy that is never drawn dense never
        // decodes it.
        m_dense = std::make_unique<DenseImage>();
        m_dense->encoded = dense->encoded;
        if (dense->picture) {
            m_dense->picture = std::make_unique<TvxBitmap>();
            m_dense->picture->Assign(*dense->picture);
        }
    }
}

void TvxBitmap::DefineProperties(TvxFiler& filer)
{
    filer.DefineBinaryProperty(
        "PNG", [this](std::span<const std::uint8_t> bytes) { LoadFromStream(bytes); },
        [this](std::vector<std::uint8_t>& out) { SaveToStream(out); }, !IsEmpty());
    filer.DefineBinaryProperty(
        "PNG2x", [this](std::span<const std::uint8_t> bytes) { SetDenseStream(bytes); },
        [this](std::vector<std::uint8_t>& out) {
            if (m_dense->picture)
                m_dense->picture->SaveToStream(out);
            else
                out.insert(out.end(), m_dense->encoded.begin(), m_dense->encoded.end());
        },
        m_dense != nullptr);
}

}
