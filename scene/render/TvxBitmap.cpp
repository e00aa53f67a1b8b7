#include "scene/render/TvxBitmap.h"

#include "scene/core/TvxFiler.h"
#include "scene/core/TvxObject.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBitmap, TvxPersistent)
{
    c.Reference("Resource", &TvxBitmap::Resource, &TvxBitmap::SetResource).NeverStored();
    c.Text("ResourceName", &TvxBitmap::ResourceName, &TvxBitmap::SetResourceName);
}

void TvxBitmap::Changed()
{
    if (OnChange)
        OnChange();
}

void TvxBitmap::SetResource(TvxObject* object)
{
    if (object == m_resource.Get())
        return;
    m_resource.Set(object);
    m_resourceName = object ? object->ResourceName() : std::string();
    Changed();
}

void TvxBitmap::SetResourceName(std::string_view name)
{
    if (m_resourceName == name)
        return;
    m_resourceName = std::string(name);
    // A held object of another name no longer stands for this bitmap.
    if (m_resource.Get() && m_resource.Get()->ResourceName() != m_resourceName)
        m_resource.Set(nullptr);
    Changed();
}

void TvxBitmap::Assign(const TvxPersistent& source)
{
    auto* other = dynamic_cast<const TvxBitmap*>(&source);
    if (!other) {
        TvxPersistent::Assign(source);
        return;
    }
    if (other->Resource() || !other->m_resourceName.empty()) {
        m_resource.Set(other->Resource());
        m_resourceName = other->m_resourceName;
        Changed();
        return;
    }
    m_resource.Set(nullptr);
    m_resourceName.clear();
    SetEncodedImage(other->m_encodedImage);
}

void TvxBitmap::DefineProperties(TvxFiler& filer)
{
    filer.DefineBinaryProperty(
        "PNG", [this](std::span<const std::uint8_t> bytes) { SetEncodedImage({ bytes.begin(), bytes.end() }); },
        [this](std::vector<std::uint8_t>& out) { out = m_encodedImage; }, !m_encodedImage.empty());
}

}
