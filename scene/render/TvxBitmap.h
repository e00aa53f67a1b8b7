// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The scene's pixel image: width × height 32-bit premultiplied 0xAARRGGBB pixels on a
// Cairo image surface (CAIRO_FORMAT_ARGB32, stride width × 4), rows top to bottom.
// Stored in object streams as the binary property PNG: an encoded image file, PNG when
// any pixel is not opaque, otherwise JPEG at quality 100. A bitmap may stand for a named
// bitmap object (Resource / ResourceName) instead of holding pixels of its own.
// A picture may carry a second one drawn for screens of twice the density, stored
// after PNG as the binary property PNG2x in the same form; it is written only when
// there is one, so a stream of pictures without it is as it always was.

#include "scene/core/Geometry.h"
#include "scene/core/TvxResourceLink.h"
#include "scene/core/TvxSubRecord.h"
#include "scene/render/Color.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace nimbrell {

class TvxBitmapObject;
class TvxCanvas;
class TvxObject;

class TvxBitmap : public TvxSubRecord {
    NIMBRELL_CLASS(TvxBitmap)
public:
    TvxBitmap();
    TvxBitmap(int width, int height);
    ~TvxBitmap() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetWidth(int value) { SetSize(value, m_height); }
    void SetHeight(int value) { SetSize(m_width, value); }
    bool IsEmpty() const { return m_width <= 0 || m_height <= 0; }

    // Allocates the pixel block cleared to 0 (none when empty); no change event.
    void Create(int width, int height);
    // Nothing when unchanged; otherwise a new block cleared to 0, then OnChanged.
    void SetSize(int width, int height);
    // Resizes and copies width × height premultiplied pixels, then OnChanged.
    void SetPixels(int width, int height, const std::uint32_t* pixels);

    // Direct pixel access; after writing through Bits, call BitmapChanged or MarkDirty.
    // Bits, Scanline and Canvas count as changing the pixels.
    std::uint32_t* Bits();
    const std::uint32_t* ConstBits() const;
    // None for a row outside the bitmap or an empty bitmap.
    std::uint32_t* Scanline(int row);
    std::uint32_t Pixel(int x, int y) const;
    // The Cairo surface over the pixels; none when empty.
    cairo_surface_t* Surface() const { return m_surface; }
    // The whole bitmap scaled to width × height with the smooth filter, kept until
    // the pixels change: a picture drawn smaller at every frame of an animation is
    // filtered once. None when empty.
    cairo_surface_t* ScaledCopy(int width, int height) const;
    // The picture to draw at a device scale: at 1.5 or more the one of twice the
    // density when there is one that decodes, otherwise this one. Sizes, margins and
    // tile periods stay those of this picture: a canvas maps them onto the dense
    // picture's pixels. The dense picture stays encoded until it is first needed.
    const TvxBitmap& ForDeviceScale(float deviceScale) const;
    bool HasDense() const { return m_dense != nullptr; }
    // Replaces the picture of twice the density with a copy (none removes it);
    // OnChanged. Changing this picture's pixels removes it too: it would no longer
    // show the same thing.
    void SetDense(const TvxBitmap* picture);
    // Takes encoded bytes as the picture of twice the density, decoded on first use;
    // OnChanged.
    void SetDenseStream(std::span<const std::uint8_t> bytes);
    // Tells the back end the pixels were written directly.
    void MarkDirty();
    // Told by a canvas drawing into the bitmap.
    void PixelsChanged() { Modified(); }

    // Every pixel the premultiplied colour; OnChanged.
    void Clear(TvxColor color);
    // Pixels from (trunc(Left), trunc(Top)) to (round(Right), round(Bottom)), clamped.
    void ClearRect(const TvxRect& rect, TvxColor color);
    void BitmapChanged();

    // Pixel utilities of effects and controls.
    void FlipHorizontal();
    void InvertAlpha();
    void FillColor(TvxColor color);
    std::vector<std::uint8_t> CreateMask() const;
    void ApplyMask(std::span<const std::uint8_t> mask, int dx, int dy);

    // Codec. Undecodable bytes leave the bitmap unchanged and return false.
    bool LoadFromStream(std::span<const std::uint8_t> bytes);
    // The stored form: PNG when any pixel is not opaque, else JPEG quality 100.
    void SaveToStream(std::vector<std::uint8_t>& out) const;
    bool LoadFromFile(const std::filesystem::path& path, float rotation = 0);
    // The format is taken from the extension; false when nothing could be written.
    bool SaveToFile(const std::filesystem::path& path, std::string_view parameters = {}) const;

    // A canvas drawing into this bitmap, created on first use with the identity matrix.
    TvxCanvas& Canvas();

    // The named bitmap object this bitmap stands for; emptied when that object is destroyed.
    TvxBitmapObject* Resource() const;
    // Copies the object's resource name, or clears the name when none; OnChanged.
    void SetResource(TvxBitmapObject* object);
    const std::string& ResourceName() const { return m_resource.Name(); }
    void SetResourceName(std::string_view name);
    // The bitmap of the named bitmap object, looked up in the object registry by name
    // when none is held; none when this bitmap stands for nothing.
    TvxBitmap* ResourceBitmap() const;

    // Throws std::invalid_argument "Cannot assign a %s to a %s" for anything but a bitmap.
    void Assign(const TvxPersistent& source) override;
    void DefineProperties(TvxFiler& filer) override;

private:
    struct DenseImage;

    void Release();
    // The pixels no longer match the encoded image they were read from, nor a
    // scaled copy made of them.
    void Modified();

    int m_width { 0 };
    int m_height { 0 };
    cairo_surface_t* m_surface { nullptr };
    mutable cairo_surface_t* m_scaled { nullptr };
    std::unique_ptr<TvxCanvas> m_canvas;
    // The encoded image the pixels were read from, written back unchanged while the
    // pixels are untouched: no generation loss and no re-encoding on every clone.
    std::vector<std::uint8_t> m_stored;
    TvxResourceLink m_resource;
    mutable std::unique_ptr<DenseImage> m_dense;
};

}
