#pragma once

// The bitmap a brush or an image refers to.
//
// PLACEHOLDER until the bitmap and image codec work: this class keeps the stored image
// file bytes (the PNG custom property) verbatim and has no pixels yet. That work replaces
// the bytes with 32-bit premultiplied pixels decoded and encoded by the codec, keeping
// the published properties, the PNG property and the resource reference below.

#include "scene/core/TvxObjectReference.h"
#include "scene/core/TvxPersistent.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nimbrell {

class TvxObject;

class TvxBitmap : public TvxPersistent {
    NIMBRELL_CLASS(TvxBitmap)
public:
    TvxBitmap() = default;

    bool IsEmpty() const { return m_encodedImage.empty(); }
    // The stored image file (PNG, or JPEG when fully opaque).
    const std::vector<std::uint8_t>& EncodedImage() const { return m_encodedImage; }
    void SetEncodedImage(std::vector<std::uint8_t> bytes) { UpdateField(m_encodedImage, std::move(bytes)); }

    // The named bitmap object this bitmap stands for; emptied when that object is destroyed.
    TvxObject* Resource() const { return m_resource.Get(); }
    // Copies the object's resource name, or clears the name when none.
    void SetResource(TvxObject* object);
    const std::string& ResourceName() const { return m_resourceName; }
    void SetResourceName(std::string_view name);

    // Told when the content changes.
    std::function<void()> OnChange;

    void Assign(const TvxPersistent& source) override;
    void DefineProperties(TvxFiler& filer) override;

protected:
    void Changed() override;

private:
    std::vector<std::uint8_t> m_encodedImage;
    TvxObjectReference m_resource;
    std::string m_resourceName;
};

}
