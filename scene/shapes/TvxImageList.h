// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A stored, indexed list of pictures. Streams carry them in the binary property Images:
// a 32-bit little-endian count, then for each picture its 32-bit length and the encoded
// image exactly as TvxBitmap::SaveToStream writes it (PNG when any pixel is translucent,
// otherwise JPEG at quality 100). The binary property Bitmap, the image store of a
// classic image list, is written empty and ignored on reading. Width and Height are
// stored but play no part at run time. Pictures read from a stream stay encoded until
// first asked for, so a list of which a program shows a few costs little to load.
// The binary property Images2x holds, in the same form and by the same indexes, the
// pictures drawn for screens of twice the density; a copy for such a screen takes
// them where there is one.

#include "scene/core/TvxComponent.h"

#include <memory>
#include <span>
#include <vector>

namespace nimbrell {

class TvxBitmap;

class TvxImageList : public TvxComponent {
    NIMBRELL_CLASS(TvxImageList)
public:
    explicit TvxImageList(TvxComponent* owner);
    ~TvxImageList() override;

    int Width() const { return m_width; }
    void SetWidth(int value) { m_width = value; }
    int Height() const { return m_height; }
    void SetHeight(int value) { m_height = value; }

    int Count() const { return static_cast<int>(m_images.size()); }
    int DenseCount() const { return static_cast<int>(m_dense.size()); }
    // The picture at index (from 0), owned by the list, decoded on first use; none
    // outside 0 … Count − 1. Callers copy it (TvxBitmap::Assign) rather than keep the
    // reference.
    TvxBitmap* GetImage(int index) const;
    // Appends a copy of the picture; returns its index.
    int Add(const TvxBitmap& picture);
    // Copies the picture at index into target; false (target unchanged) outside the list.
    // A picture not yet decoded is decoded for copies; only the last one is kept.
    // Drawn at a device scale of 1.5 or more, the picture of twice the density is
    // taken when the list has one (the canvas scales either to the device).
    bool CopyImage(int index, TvxBitmap& target, float deviceScale = 1) const;
    // Appends the picture of twice the density for the next index without one.
    void AddDense(const TvxBitmap& picture);
    void Clear();

    // The Images block. Reading appends to the pictures already held; a block that ends
    // early or carries a negative length or count throws std::runtime_error and keeps
    // the pictures read before the fault. Bytes that do not decode give an empty picture,
    // so indexes stay those of the stored list.
    void ReadImages(std::span<const std::uint8_t> bytes);
    void WriteImages(std::vector<std::uint8_t>& out) const;
    // The Images2x block, read and written the same way.
    void ReadDenseImages(std::span<const std::uint8_t> bytes);
    void WriteDenseImages(std::vector<std::uint8_t>& out) const;

    void DefineProperties(TvxFiler& filer) override;

private:
    // A picture as read (encoded) until it is first used, then decoded. The
    // encoded bytes are viewed where they lie when read from the program's own
    // resources (the stored scenes: the pictures of both densities would
    // otherwise be copied, 0.65 MB), else held in `owned`.
    struct Entry {
        std::span<const std::uint8_t> encoded;
        std::vector<std::uint8_t> owned;
        std::unique_ptr<TvxBitmap> picture;
    };

    static void Read(std::vector<Entry>& entries, std::span<const std::uint8_t> bytes);
    static void Write(const std::vector<Entry>& entries, std::vector<std::uint8_t>& out);

    int m_width { 32 };
    int m_height { 32 };
    mutable std::vector<Entry> m_images;
    mutable std::vector<Entry> m_dense;
    // The last picture decoded for copies: its list (dense or not) and index.
    mutable const std::vector<Entry>* m_copiedList { nullptr };
    mutable int m_copiedIndex { -1 };
    mutable std::unique_ptr<TvxBitmap> m_copied;
};

}
