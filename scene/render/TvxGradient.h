// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A gradient: colour stops in collection order, linear between two positions or radial
// under a transform. A new gradient runs from opaque black at the top to white at the
// bottom.

#include "scene/core/TvxCollection.h"
#include "scene/core/TvxPosition.h"
#include "scene/core/TvxSubRecord.h"
#include "scene/render/Color.h"
#include "scene/render/RenderEnums.h"
#include "scene/render/TvxTransform.h"

namespace nimbrell {

class TvxGradientPoint : public TvxCollectionItem {
    NIMBRELL_CLASS(TvxGradientPoint)
public:
    std::string Color() const { return ColorToText(m_color); }
    void SetColor(std::string_view text) { SetIntColor(ColorFromText(text)); }
    TvxColor IntColor() const { return m_color; }
    void SetIntColor(TvxColor value) { UpdateField(m_color, value); }
    float Offset() const { return m_offset; }
    void SetOffset(float value) { UpdateField(m_offset, value); }

private:
    TvxColor m_color { 0 };
    float m_offset { 0 };
};

class TvxGradient : public TvxSubRecord {
    NIMBRELL_CLASS(TvxGradient)
public:
    TvxGradient();

    TvxCollectionOf<TvxGradientPoint>& Points() { return m_points; }
    const TvxCollectionOf<TvxGradientPoint>& Points() const { return m_points; }
    TvxGradientStyle Style() const { return m_style; }
    void SetStyle(TvxGradientStyle value) { UpdateField(m_style, value); }
    TvxPosition& StartPosition() { return m_startPosition; }
    const TvxPosition& StartPosition() const { return m_startPosition; }
    TvxPosition& StopPosition() { return m_stopPosition; }
    const TvxPosition& StopPosition() const { return m_stopPosition; }
    TvxTransform& RadialTransform() { return m_radialTransform; }
    const TvxTransform& RadialTransform() const { return m_radialTransform; }
    bool IsLinear() const { return m_style == TvxGradientStyle::vgLinearGradient; }
    bool IsRadial() const { return m_style == TvxGradientStyle::vgRadialGradient; }

    // Recolour the first / the second stop when it exists.
    void SetColor(std::string_view text);
    void SetColor1(std::string_view text);

    // The colour at offset (clamped to 0..1); 0 with fewer than two stops.
    TvxColor InterpolateColor(float offset) const;

    void Assign(const TvxPersistent& source) override;

private:
    TvxCollectionOf<TvxGradientPoint> m_points;
    TvxGradientStyle m_style { TvxGradientStyle::vgLinearGradient };
    TvxPosition m_startPosition { { 0, 0 } };
    TvxPosition m_stopPosition { { 0, 1 } };
    TvxTransform m_radialTransform;
};

}
