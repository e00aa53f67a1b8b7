// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxBitmapEffects.h"

#include "scene/core/PropertyTable.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/StackBlur.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxShadowEffect, TvxEffect)
{
    c.Float("Distance", &TvxShadowEffect::Distance, &TvxShadowEffect::SetDistance);
    c.Float("Softness", &TvxShadowEffect::Softness, &TvxShadowEffect::SetSoftness);
    c.Text("ShadowColor", &TvxShadowEffect::ShadowColorText, &TvxShadowEffect::SetShadowColorText);
    c.Float("Opacity", &TvxShadowEffect::Opacity, &TvxShadowEffect::SetOpacity);
    c.Float("Direction", &TvxShadowEffect::Direction, &TvxShadowEffect::SetDirection);
}

NIMBRELL_DEFINE_CLASS(TvxGlowEffect, TvxEffect)
{
    c.Float("Softness", &TvxGlowEffect::Softness, &TvxGlowEffect::SetSoftness);
    c.Text("GlowColor", &TvxGlowEffect::GlowColorText, &TvxGlowEffect::SetGlowColorText);
    c.Float("Opacity", &TvxGlowEffect::Opacity, &TvxGlowEffect::SetOpacity);
    c.Integer("Spread", &TvxGlowEffect::Spread, &TvxGlowEffect::SetSpread).Default(0);
}

NIMBRELL_DEFINE_CLASS(TvxReflectionEffect, TvxEffect)
{
    c.Integer("Offset", &TvxReflectionEffect::Offset, &TvxReflectionEffect::SetOffset).Default(0);
    c.Float("Opacity", &TvxReflectionEffect::Opacity, &TvxReflectionEffect::SetOpacity);
    c.Float("Length", &TvxReflectionEffect::Length, &TvxReflectionEffect::SetLength);
}

namespace {

// Degrees to radians with the 32-bit constant, the product in double.
double Radians(float degrees)
{
    constexpr float kDegree = static_cast<float>(3.14159265358979323846 / 180);
    return double(degrees) * double(kDegree);
}

int BlurRadiusOf(float softness)
{
    return static_cast<int>(double(softness) * 10 + 5);
}

}

TvxColor ScaleColorAlpha(TvxColor color, double factor)
{
    if (factor >= 1)
        return color;
    double alpha = std::max(0.0, factor) * ColorAlpha(color);
    return (color & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha) << 24);
}

// Shadow.

TvxShadowEffect::TvxShadowEffect(TvxComponent* owner)
    : TvxEffect(owner)
{
}

void TvxShadowEffect::SetDistance(float value)
{
    UpdateField(m_distance, value);
}

void TvxShadowEffect::SetSoftness(float value)
{
    UpdateField(m_softness, std::clamp(value, 0.0f, 3.0f));
}

void TvxShadowEffect::SetShadowColor(TvxColor value)
{
    UpdateField(m_shadowColor, value);
}

void TvxShadowEffect::SetOpacity(float value)
{
    UpdateField(m_opacity, std::clamp(value, 0.0f, 1.0f));
}

void TvxShadowEffect::SetDirection(float value)
{
    UpdateField(m_direction, value);
}

int TvxShadowEffect::Padding() const
{
    return static_cast<int>(double(m_softness) * 20);
}

int TvxShadowEffect::BlurRadius() const
{
    return BlurRadiusOf(m_softness);
}

TvxPoint TvxShadowEffect::Shift() const
{
    double theta = Radians(m_direction);
    return { float(double(m_distance) * std::cos(theta)), float(double(m_distance) * std::sin(theta)) };
}

TvxRect TvxShadowEffect::GetRect(const TvxRect& rect) const
{
    float t = float(Padding());
    TvxPoint shift = Shift();
    return { rect.Left - t + shift.X, rect.Top - t + shift.Y, rect.Right + t + shift.X, rect.Bottom + t + shift.Y };
}

TvxPoint TvxShadowEffect::GetOffset() const
{
    float t = float(Padding());
    return { t, t };
}

void TvxShadowEffect::ProcessEffect(TvxCanvas&, TvxBitmap& bitmap, float scale)
{
    std::vector<std::uint8_t> mask = bitmap.CreateMask();
    bitmap.FillColor(ScaleColorAlpha(m_shadowColor, m_opacity));
    StackBlur(bitmap, BlurRadius());
    // The part the object will cover is cut away, so a translucent object does not show
    // its own shadow through itself.
    double theta = Radians(m_direction);
    int dx = static_cast<int>(std::nearbyint(double(m_distance) * std::cos(theta) * scale));
    int dy = static_cast<int>(std::nearbyint(double(m_distance) * std::sin(theta) * scale));
    bitmap.ApplyMask(mask, -dx, -dy);
}

// Glow.

TvxGlowEffect::TvxGlowEffect(TvxComponent* owner)
    : TvxEffect(owner)
{
}

void TvxGlowEffect::SetSoftness(float value)
{
    UpdateField(m_softness, std::clamp(value, 0.0f, 9.0f));
}

void TvxGlowEffect::SetGlowColor(TvxColor value)
{
    UpdateField(m_glowColor, value);
}

void TvxGlowEffect::SetOpacity(float value)
{
    UpdateField(m_opacity, std::clamp(value, 0.0f, 1.0f));
}

void TvxGlowEffect::SetSpread(int value)
{
    UpdateField(m_spread, std::clamp(value, 0, 8));
}

int TvxGlowEffect::Padding() const
{
    if (m_spread > 0)
        return m_spread + 2;
    return static_cast<int>(double(m_softness) * 23) + 4;
}

int TvxGlowEffect::BlurRadius() const
{
    return BlurRadiusOf(m_softness);
}

TvxRect TvxGlowEffect::GetRect(const TvxRect& rect) const
{
    float g = float(Padding());
    return { rect.Left - g, rect.Top - g, rect.Right + g, rect.Bottom + g };
}

TvxPoint TvxGlowEffect::GetOffset() const
{
    float g = float(Padding());
    return { g, g };
}

void TvxGlowEffect::ProcessEffect(TvxCanvas&, TvxBitmap& bitmap, float scale)
{
    if (m_spread > 0) {
        ProcessOutline(bitmap, scale);
        return;
    }
    std::vector<std::uint8_t> mask = bitmap.CreateMask();
    bitmap.FillColor(ScaleColorAlpha(m_glowColor, m_opacity));
    StackBlur(bitmap, BlurRadius());
    bitmap.ApplyMask(mask, 0, 0);
}

void TvxGlowEffect::ProcessOutline(TvxBitmap& bitmap, float scale) const
{
    if (bitmap.IsEmpty())
        return;
    const int width = bitmap.Width(), height = bitmap.Height();
    const int reach = std::max(1, static_cast<int>(std::lround(double(m_spread) * double(scale))));
    std::vector<std::uint8_t> mask = bitmap.CreateMask();
    // Each pixel takes the most opaque one within a disc of the reach: the shape widened.
    std::vector<std::uint8_t> widened(mask.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t most = 0;
            for (int dy = -reach; dy <= reach && most < 255; ++dy) {
                int sy = y + dy;
                if (sy < 0 || sy >= height)
                    continue;
                for (int dx = -reach; dx <= reach; ++dx) {
                    int sx = x + dx;
                    if (sx < 0 || sx >= width || dx * dx + dy * dy > reach * reach + 1)
                        continue;
                    most = std::max(most, mask[std::size_t(sy) * std::size_t(width) + std::size_t(sx)]);
                }
            }
            widened[std::size_t(y) * std::size_t(width) + std::size_t(x)] = most;
        }
    }
    TvxColor color = ScaleColorAlpha(m_glowColor, m_opacity);
    std::uint32_t* bits = bitmap.Bits();
    for (std::size_t i = 0; i < widened.size(); ++i) {
        std::uint32_t alpha = ColorAlpha(color) * widened[i] / 255u;
        bits[i] = PremultiplyColor((color & 0x00FFFFFFu) | (alpha << 24));
    }
    bitmap.MarkDirty();
    // Only the edge is softened: one pixel, not a smear.
    StackBlur(bitmap, 1);
    bitmap.ApplyMask(mask, 0, 0);
}

// Reflection.

TvxReflectionEffect::TvxReflectionEffect(TvxComponent* owner)
    : TvxEffect(owner)
{
}

void TvxReflectionEffect::SetOffset(int value)
{
    UpdateField(m_offset, value);
}

void TvxReflectionEffect::SetOpacity(float value)
{
    UpdateField(m_opacity, value);
}

void TvxReflectionEffect::SetLength(float value)
{
    UpdateField(m_length, std::clamp(value, 0.1f, 1.0f));
}

TvxRect TvxReflectionEffect::GetRect(const TvxRect& rect) const
{
    float down = rect.Height() + float(m_offset);
    return { rect.Left - 2, rect.Top - 2 + down, rect.Right + 2, rect.Bottom + 2 + down };
}

void TvxReflectionEffect::ProcessEffect(TvxCanvas&, TvxBitmap& bitmap, float)
{
    if (bitmap.IsEmpty())
        return;
    const int w = bitmap.Width(), h = bitmap.Height();
    const int a = static_cast<int>(std::nearbyint(double(h - 1) * double(m_length)));
    bitmap.FlipHorizontal();
    std::uint32_t* bits = bitmap.Bits();
    for (int i = 0; i < h; ++i) {
        std::uint32_t* row = bits + std::size_t(h - 1 - i) * std::size_t(w);
        if (i <= h - 1 - a) {
            std::fill(row, row + w, 0u);
            continue;
        }
        const double fade = double(m_opacity) * (double(i - (h - 1 - a)) / double(a));
        for (int x = 0; x < w; ++x) {
            std::uint32_t pixel = row[x];
            std::uint32_t alpha = pixel >> 24;
            if (alpha == 0)
                continue;
            double scaled = std::clamp(fade * double(alpha), 0.0, 255.0);
            std::uint32_t newAlpha = static_cast<std::uint32_t>(scaled);
            // The channels are premultiplied already and are scaled by the new alpha
            // once more: the reflection is darker as well as fainter.
            auto channel = [&](int shift) { return (((pixel >> shift) & 0xFFu) * newAlpha / 255u) << shift; };
            row[x] = newAlpha << 24 | channel(16) | channel(8) | channel(0);
        }
    }
    bitmap.MarkDirty();
}

}
