// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxBrush.h"

#include "base/Text.h"
#include "scene/core/TvxObject.h"
#include "scene/render/TvxBrushObject.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBrushBitmap, TvxPersistent)
{
    c.Object("Bitmap", [](const TvxBrushBitmap& b) { return &b.Bitmap(); });
    c.Enum("WrapMode", &TvxBrushBitmap::WrapMode, &TvxBrushBitmap::SetWrapMode);
}

TvxBrushBitmap::TvxBrushBitmap()
{
    m_bitmap.OnChanged = [this] { Changed(); };
}

void TvxBrushBitmap::Assign(const TvxPersistent& source)
{
    const TvxBrushBitmap* other = &SourceAs<TvxBrushBitmap>(source);
    SetWrapMode(other->m_wrapMode);
    m_bitmap.Assign(other->m_bitmap);
}

NIMBRELL_DEFINE_CLASS(TvxBrushResource, TvxPersistent)
{
    c.Reference("Resource", &TvxBrushResource::Resource, &TvxBrushResource::SetResource).NeverStored();
    c.Text("ResourceName", &TvxBrushResource::ResourceName, &TvxBrushResource::SetResourceName);
}

TvxBrushResource::TvxBrushResource() = default;
TvxBrushResource::~TvxBrushResource() = default;

TvxBrushObject* TvxBrushResource::Resource() const
{
    return m_resource.Held<TvxBrushObject>();
}

void TvxBrushResource::SetResource(TvxBrushObject* object)
{
    if (object == Resource())
        return;
    m_resource.Set(object, object ? object->ResourceName() : m_resource.Name());
    Changed();
}

void TvxBrushResource::SetResourceName(std::string_view name)
{
    if (m_resource.SetName(name))
        Changed();
}

TvxBrush* TvxBrushResource::Brush() const
{
    TvxBrushObject* object = m_resource.Resolve<TvxBrushObject>();
    return object ? &object->Brush() : nullptr;
}

void TvxBrushResource::Assign(const TvxPersistent& source)
{
    const TvxBrushResource* other = &SourceAs<TvxBrushResource>(source);
    m_resource.Set(other->Resource(), m_resource.Name());
    SetResourceName(other->ResourceName());
}

NIMBRELL_DEFINE_CLASS(TvxVisual, TvxPersistent)
{
    c.Reference("VisualObject", &TvxVisual::VisualObject, &TvxVisual::SetVisualObject);
}

void TvxVisual::SetVisualObject(TvxObject* object)
{
    if (object == m_visualObject.Get())
        return;
    m_visualObject.Set(object);
    Changed();
}

void TvxVisual::Assign(const TvxPersistent& source)
{
    const TvxVisual* other = &SourceAs<TvxVisual>(source);
    SetVisualObject(other->VisualObject());
}

NIMBRELL_DEFINE_CLASS(TvxBrush, TvxPersistent)
{
    using S = TvxBrushStyle;
    c.Text("Color", &TvxBrush::Color, &TvxBrush::SetColor).StoredWhen([](const TvxBrush& b) {
        return b.Style() == S::vgBrushSolid && b.m_color != b.DefaultColor();
    });
    c.Object("Bitmap", [](const TvxBrush& b) { return &b.Bitmap(); }).StoredWhen([](const TvxBrush& b) {
        return b.Style() == S::vgBrushBitmap;
    });
    c.Enum("Style", &TvxBrush::Style, &TvxBrush::SetStyle).StoredWhen([](const TvxBrush& b) {
        return b.Style() != b.DefaultStyle();
    });
    c.Object("Gradient", [](const TvxBrush& b) { return &b.Gradient(); }).StoredWhen([](const TvxBrush& b) {
        return b.Style() == S::vgBrushGradient;
    });
    c.Object("Resource", [](const TvxBrush& b) { return &b.Resource(); }).StoredWhen([](const TvxBrush& b) {
        return b.Style() == S::vgBrushResource;
    });
    c.Object("Visual", [](const TvxBrush& b) { return &b.Visual(); }).StoredWhen([](const TvxBrush& b) {
        return b.Style() == S::vgBrushVisual;
    });
}

TvxBrush::TvxBrush(TvxBrushStyle defaultStyle, TvxColor defaultColor)
    : m_color(defaultColor)
    , m_style(defaultStyle)
    , m_defaultStyle(defaultStyle)
    , m_defaultColor(defaultColor)
{
    m_gradient.OnChanged = [this] { Changed(); };
    m_visual.OnChanged = [this] { Changed(); };
    m_resource.OnChanged = [this] { Changed(); };
    m_bitmap.OnChanged = [this] { Changed(); };
}

TvxBrush::~TvxBrush() = default;

void TvxBrush::SetColor(std::string_view text)
{
    SetSolidColor(ColorFromText(text));
    if (m_style == TvxBrushStyle::vgBrushGradient)
        m_gradient.SetColor(text);
}

TvxColor TvxBrush::SolidColor() const
{
    if (m_style != TvxBrushStyle::vgBrushResource)
        return m_color;
    // Resource brushes naming each other in a ring end at the first brush's own colour.
    thread_local int depth = 0;
    if (depth > 16)
        return m_color;
    const TvxBrush* resolved = m_resource.Brush();
    if (!resolved || resolved == this)
        return m_color;
    ++depth;
    TvxColor color = resolved->SolidColor();
    --depth;
    return color;
}

void TvxBrush::Assign(const TvxPersistent& source)
{
    const TvxBrush& other = SourceAs<TvxBrush>(source);
    ChangeAtOnce(
        [&] {
            m_defaultStyle = other.m_defaultStyle;
            m_defaultColor = other.m_defaultColor;
            SetSolidColor(other.SolidColor());
            SetStyle(other.m_style);
            switch (m_style) {
            case TvxBrushStyle::vgBrushGradient:
                m_gradient.Assign(other.m_gradient);
                break;
            case TvxBrushStyle::vgBrushBitmap:
                m_bitmap.Assign(other.m_bitmap);
                break;
            case TvxBrushStyle::vgBrushResource:
                m_resource.Assign(other.m_resource);
                break;
            case TvxBrushStyle::vgBrushVisual:
                m_visual.Assign(other.m_visual);
                break;
            default:
                break;
            }
        },
        Tell::Always);
}

}
