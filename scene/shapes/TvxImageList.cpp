// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxImageList.h"
#include "platform/Resources.h"

#include "scene/core/PropertyTable.h"
#include "scene/core/TvxFiler.h"
#include "scene/render/TvxBitmap.h"

#include <stdexcept>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxImageList, TvxComponent)
{
    c.Integer("Height", &TvxImageList::Height, &TvxImageList::SetHeight).Default(32);
    c.Integer("Width", &TvxImageList::Width, &TvxImageList::SetWidth).Default(32);
}

namespace {

void WriteInt32(std::vector<std::uint8_t>& out, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

std::int32_t ReadInt32(std::span<const std::uint8_t> bytes, std::size_t& at)
{
    if (bytes.size() - at < 4)
        throw std::runtime_error("Image list data ends early");
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= std::uint32_t(bytes[at + std::size_t(i)]) << (8 * i);
    at += 4;
    return static_cast<std::int32_t>(bits);
}

std::unique_ptr<TvxBitmap> Decoded(std::span<const std::uint8_t> encoded)
{
    auto picture = std::make_unique<TvxBitmap>();
    picture->LoadFromStream(encoded);
    return picture;
}

}

TvxImageList::TvxImageList(TvxComponent* owner)
    : TvxComponent(owner)
{
}

TvxImageList::~TvxImageList() = default;

TvxBitmap* TvxImageList::GetImage(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    Entry& entry = m_images[static_cast<std::size_t>(index)];
    if (!entry.picture) {
        entry.picture = Decoded(entry.encoded);
        entry.encoded = {};
        entry.owned = {};
    }
    return entry.picture.get();
}

int TvxImageList::Add(const TvxBitmap& picture)
{
    auto copy = std::make_unique<TvxBitmap>();
    copy->Assign(picture);
    m_images.push_back(Entry { {}, {}, std::move(copy) });
    return Count() - 1;
}

bool TvxImageList::CopyImage(int index, TvxBitmap& target, float deviceScale) const
{
    if (index < 0 || index >= Count())
        return false;
    const bool dense = deviceScale >= 1.5f && index < DenseCount();
    const std::vector<Entry>& list = dense ? m_dense : m_images;
    const Entry& entry = list[static_cast<std::size_t>(index)];
    if (entry.picture) {
        target.Assign(*entry.picture);
        return true;
    }
    // Decoded for copies only: a list that only hands out copies keeps just the
    // last picture copied, so copies of one picture in a row decode it once.
    if (index != m_copiedIndex || &list != m_copiedList || !m_copied) {
        m_copied = Decoded(entry.encoded);
        m_copiedIndex = index;
        m_copiedList = &list;
    }
    target.Assign(*m_copied);
    return true;
}

void TvxImageList::AddDense(const TvxBitmap& picture)
{
    auto copy = std::make_unique<TvxBitmap>();
    copy->Assign(picture);
    m_dense.push_back(Entry { {}, {}, std::move(copy) });
}

void TvxImageList::Clear()
{
    m_images.clear();
    m_dense.clear();
    m_copied.reset();
    m_copiedIndex = -1;
    m_copiedList = nullptr;
}

void TvxImageList::ReadImages(std::span<const std::uint8_t> bytes)
{
    Read(m_images, bytes);
}

void TvxImageList::WriteImages(std::vector<std::uint8_t>& out) const
{
    Write(m_images, out);
}

void TvxImageList::ReadDenseImages(std::span<const std::uint8_t> bytes)
{
    Read(m_dense, bytes);
}

void TvxImageList::WriteDenseImages(std::vector<std::uint8_t>& out) const
{
    Write(m_dense, out);
}

void TvxImageList::Read(std::vector<Entry>& entries, std::span<const std::uint8_t> bytes)
{
    std::size_t at = 0;
    std::int32_t count = ReadInt32(bytes, at);
    if (count < 0)
        throw std::runtime_error("Image list data is invalid");
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t length = ReadInt32(bytes, at);
        if (length < 0 || bytes.size() - at < std::size_t(length))
            throw std::runtime_error("Image list data ends early");
        auto encoded = bytes.subspan(at, std::size_t(length));
        Entry& entry = entries.emplace_back();
        if (platform::InResource(encoded)) {
            entry.encoded = encoded;
        } else {
            entry.owned.assign(encoded.begin(), encoded.end());
            entry.encoded = entry.owned;
        }
        at += std::size_t(length);
    }
}

void TvxImageList::Write(const std::vector<Entry>& entries, std::vector<std::uint8_t>& out)
{
    WriteInt32(out, static_cast<std::int32_t>(entries.size()));
    std::vector<std::uint8_t> encoded;
    for (const Entry& entry : entries) {
        // A picture never decoded goes out as it came in.
        std::span<const std::uint8_t> bytes = entry.encoded;
        if (entry.picture) {
            encoded.clear();
            entry.picture->SaveToStream(encoded);
            bytes = encoded;
        }
        WriteInt32(out, static_cast<std::int32_t>(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
}

void TvxImageList::DefineProperties(TvxFiler& filer)
{
    TvxComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Bitmap", [](std::span<const std::uint8_t>) {}, [](std::vector<std::uint8_t>&) {}, true);
    filer.DefineBinaryProperty(
        "Images", [this](std::span<const std::uint8_t> bytes) { ReadImages(bytes); },
        [this](std::vector<std::uint8_t>& out) { WriteImages(out); }, !m_images.empty());
    filer.DefineBinaryProperty(
        "Images2x", [this](std::span<const std::uint8_t> bytes) { ReadDenseImages(bytes); },
        [this](std::vector<std::uint8_t>& out) { WriteDenseImages(out); }, !m_dense.empty());
}

}
