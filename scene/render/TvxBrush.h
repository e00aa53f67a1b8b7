// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How an area or an outline is painted: nothing, a solid colour, a gradient, a bitmap,
// a named brush resource, or another scene object. A brush belongs to the element that
// uses it and tells it (OnChanged) on every real change, its sub-records' included.

#include "scene/core/TvxObjectReference.h"
#include "scene/core/TvxResourceLink.h"
#include "scene/core/TvxSubRecord.h"
#include "scene/render/Color.h"
#include "scene/render/RenderEnums.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxGradient.h"

#include <string>

namespace nimbrell {

class TvxBrush;
class TvxBrushObject;
class TvxObject;

class TvxBrushBitmap : public TvxSubRecord {
    NIMBRELL_CLASS(TvxBrushBitmap)
public:
    TvxBrushBitmap();

    TvxBitmap& Bitmap() { return m_bitmap; }
    const TvxBitmap& Bitmap() const { return m_bitmap; }
    TvxWrapMode WrapMode() const { return m_wrapMode; }
    void SetWrapMode(TvxWrapMode value) { UpdateField(m_wrapMode, value); }

    void Assign(const TvxPersistent& source) override;

private:
    TvxBitmap m_bitmap;
    TvxWrapMode m_wrapMode { TvxWrapMode::vgWrapTile };
};

// A reference to a named brush object, found by name in the object registry on use.
class TvxBrushResource : public TvxSubRecord {
    NIMBRELL_CLASS(TvxBrushResource)
public:
    TvxBrushResource();
    ~TvxBrushResource() override;

    TvxBrushObject* Resource() const;
    // Copies the object's resource name; registers with it, unregisters from the previous.
    void SetResource(TvxBrushObject* object);
    const std::string& ResourceName() const { return m_resource.Name(); }
    void SetResourceName(std::string_view name);

    // The referenced brush object's brush; looked up by resource name when no object is held.
    TvxBrush* Brush() const;

    void Assign(const TvxPersistent& source) override;

private:
    TvxResourceLink m_resource;
};

// A reference to a scene object painted as the brush.
class TvxVisual : public TvxSubRecord {
    NIMBRELL_CLASS(TvxVisual)
public:
    TvxObject* VisualObject() const { return m_visualObject.Get(); }
    void SetVisualObject(TvxObject* object);

    void Assign(const TvxPersistent& source) override;

private:
    TvxObjectReference m_visualObject;
};

class TvxBrush : public TvxSubRecord {
    NIMBRELL_CLASS(TvxBrush)
public:
    // Both defaults are also the initial style and colour.
    TvxBrush(TvxBrushStyle defaultStyle, TvxColor defaultColor);
    ~TvxBrush() override;

    // The colour as text. Writing it sets the solid colour and, for a gradient brush,
    // recolours the gradient's first stop.
    std::string Color() const { return ColorToText(m_color); }
    void SetColor(std::string_view text);
    // For a resource brush whose resource resolves, that brush's colour.
    TvxColor SolidColor() const;
    void SetSolidColor(TvxColor value) { UpdateField(m_color, value); }
    TvxBrushStyle Style() const { return m_style; }
    void SetStyle(TvxBrushStyle value) { UpdateField(m_style, value); }
    TvxBrushStyle DefaultStyle() const { return m_defaultStyle; }
    void SetDefaultStyle(TvxBrushStyle value) { m_defaultStyle = value; }
    TvxColor DefaultColor() const { return m_defaultColor; }
    void SetDefaultColor(TvxColor value) { m_defaultColor = value; }

    TvxGradient& Gradient() { return m_gradient; }
    const TvxGradient& Gradient() const { return m_gradient; }
    TvxBrushBitmap& Bitmap() { return m_bitmap; }
    const TvxBrushBitmap& Bitmap() const { return m_bitmap; }
    TvxBrushResource& Resource() { return m_resource; }
    const TvxBrushResource& Resource() const { return m_resource; }
    TvxVisual& Visual() { return m_visual; }
    const TvxVisual& Visual() const { return m_visual; }

    // Copies defaults, the resolved solid colour, the style and the sub-record the style
    // uses; tells OnChanged once.
    void Assign(const TvxPersistent& source) override;

private:
    TvxColor m_color;
    TvxBrushStyle m_style;
    TvxGradient m_gradient;
    TvxVisual m_visual;
    TvxBrushStyle m_defaultStyle;
    TvxColor m_defaultColor;
    TvxBrushResource m_resource;
    TvxBrushBitmap m_bitmap;
};

}
