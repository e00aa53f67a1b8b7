// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The effects the scenes use: a drop shadow, an outer glow and a reflection. Values are
// 32-bit floats; every product formed from them (paddings, blur radius, alpha scaling)
// is computed in double and only then truncated or rounded, so 0.3 stored as the 32-bit
// value just above it pads by 6 where the value just below pads by 5.

#include "scene/render/Color.h"
#include "scene/shapes/TvxEffect.h"

namespace nimbrell {

// A tinted, blurred copy of the object, moved by Distance in Direction (degrees) and cut
// away where the object itself covers it.
class TvxShadowEffect : public TvxEffect {
    NIMBRELL_CLASS(TvxShadowEffect)
public:
    explicit TvxShadowEffect(TvxComponent* owner);

    float Distance() const { return m_distance; }
    void SetDistance(float value);
    // Kept within 0 … 3.
    float Softness() const { return m_softness; }
    void SetSoftness(float value);
    TvxColor ShadowColor() const { return m_shadowColor; }
    void SetShadowColor(TvxColor value);
    std::string ShadowColorText() const { return ColorToText(m_shadowColor); }
    void SetShadowColorText(std::string_view text) { SetShadowColor(ColorFromText(text)); }
    // Kept within 0 … 1.
    float Opacity() const { return m_opacity; }
    void SetOpacity(float value);
    float Direction() const { return m_direction; }
    void SetDirection(float value);

    // Padding on every side: trunc(Softness × 20).
    int Padding() const;
    int BlurRadius() const;
    // The shift (Distance × cos, Distance × sin of Direction).
    TvxPoint Shift() const;

    TvxRect GetRect(const TvxRect& rect) const override;
    TvxPoint GetOffset() const override;
    void ProcessEffect(TvxCanvas& canvas, TvxBitmap& bitmap, float scale) override;

private:
    float m_distance { 3 };
    float m_softness { 0.3f };
    TvxColor m_shadowColor { 0xFF000000 };
    float m_opacity { 0.6f };
    float m_direction { 45 };
};

// A tinted, blurred halo around the object, cut away under it. With a Spread the
// halo is a tight outline instead: the object's shape widened by Spread units,
// only its edge softened, so texts read on any background without a smear.
class TvxGlowEffect : public TvxEffect {
    NIMBRELL_CLASS(TvxGlowEffect)
public:
    explicit TvxGlowEffect(TvxComponent* owner);

    // Kept within 0 … 9.
    float Softness() const { return m_softness; }
    void SetSoftness(float value);
    TvxColor GlowColor() const { return m_glowColor; }
    void SetGlowColor(TvxColor value);
    std::string GlowColorText() const { return ColorToText(m_glowColor); }
    void SetGlowColorText(std::string_view text) { SetGlowColor(ColorFromText(text)); }
    // Kept within 0 … 1.
    float Opacity() const { return m_opacity; }
    void SetOpacity(float value);

    // The outline's width in units; 0 (the default): the blurred halo. Kept within 0 … 8.
    int Spread() const { return m_spread; }
    void SetSpread(int value);

    // Padding on every side: trunc(Softness × 23) + 4; with a Spread, Spread + 2.
    int Padding() const;
    int BlurRadius() const;

    TvxRect GetRect(const TvxRect& rect) const override;
    TvxPoint GetOffset() const override;
    void ProcessEffect(TvxCanvas& canvas, TvxBitmap& bitmap, float scale) override;

private:
    void ProcessOutline(TvxBitmap& bitmap, float scale) const;

    int m_spread { 0 };
    float m_softness { 0.4f };
    TvxColor m_glowColor { 0xFFFFD700 };
    float m_opacity { 0.9f };
};

// A mirror image below the object's lower edge (plus Offset), fading out over Length of
// its height.
class TvxReflectionEffect : public TvxEffect {
    NIMBRELL_CLASS(TvxReflectionEffect)
public:
    explicit TvxReflectionEffect(TvxComponent* owner);

    int Offset() const { return m_offset; }
    void SetOffset(int value);
    float Opacity() const { return m_opacity; }
    void SetOpacity(float value);
    // Kept within 0.1 … 1.
    float Length() const { return m_length; }
    void SetLength(float value);

    TvxRect GetRect(const TvxRect& rect) const override;
    TvxPoint GetOffset() const override { return { 2, 2 }; }
    void ProcessEffect(TvxCanvas& canvas, TvxBitmap& bitmap, float scale) override;

private:
    int m_offset { 0 };
    float m_opacity { 0.5f };
    float m_length { 0.5f };
};

// The colour with its alpha multiplied by factor (unchanged when factor ≥ 1).
TvxColor ScaleColorAlpha(TvxColor color, double factor);

}
