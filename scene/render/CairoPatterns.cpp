// SPDX-License-Identifier: GPL-3.0-or-later
// Brush patterns of the Cairo canvas: solid colours, gradients and bitmaps.

#include "scene/render/CairoCanvasInternal.h"

#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxBrush.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace nimbrell::cairocanvas {

namespace {

void AddColorStop(cairo_pattern_t* pattern, double offset, TvxColor color)
{
    cairo_pattern_add_color_stop_rgba(pattern, offset, ColorRed(color) / 255.0, ColorGreen(color) / 255.0,
        ColorBlue(color) / 255.0, ColorAlpha(color) / 255.0);
}

std::vector<std::pair<float, TvxColor>> Stops(const TvxGradient& gradient, float opacity, bool pad)
{
    std::vector<std::pair<float, TvxColor>> stops;
    for (int i = 0; i < gradient.Points().Count(); ++i) {
        const TvxGradientPoint& p = gradient.Points()[i];
        stops.emplace_back(std::clamp(p.Offset(), 0.0f, 1.0f), ColorWithOpacity(p.IntColor(), opacity));
    }
    if (pad && !stops.empty()) {
        if (stops.front().first > 0)
            stops.insert(stops.begin(), { 0.0f, stops.front().second });
        if (stops.back().first < 1)
            stops.emplace_back(1.0f, stops.back().second);
    }
    return stops;
}

PatternPtr GradientPattern(const TvxGradient& gradient, const TvxRect& r, float opacity, bool pad)
{
    auto stops = Stops(gradient, opacity, pad);
    PatternPtr pattern;
    if (gradient.IsLinear()) {
        TvxPoint a = gradient.StartPosition().Point(), b = gradient.StopPosition().Point();
        pattern.reset(cairo_pattern_create_linear(a.X * r.Right + r.Left, a.Y * r.Bottom + r.Top, b.X * r.Right + r.Left,
            b.Y * r.Bottom + r.Top));
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REFLECT);
    } else {
        // Offset 0 at the centre of the ellipse inscribed in r, 1 on its edge.
        pattern.reset(cairo_pattern_create_radial(0, 0, 0, 0, 0, 1));
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        const TvxTransform& t = gradient.RadialTransform();
        float w = r.Width(), h = r.Height();
        TvxMatrix unit = TvxMatrix::Scaling(w / 2, h / 2) * TvxMatrix::Translation(w / 2, h / 2);
        TvxPoint c { t.RotateCenter().X() * w, t.RotateCenter().Y() * h };
        TvxMatrix local = TvxMatrix::Translation(-c.X, -c.Y) * TvxMatrix::Rotation(t.RotateAngle())
            * TvxMatrix::Translation(c.X, c.Y) * TvxMatrix::Scaling(t.Scale().X(), t.Scale().Y())
            * TvxMatrix::Translation(t.Position().X() + r.Left, t.Position().Y() + r.Top);
        cairo_matrix_t toUser = ToCairo(unit * local);
        if (!Invertible(toUser))
            return nullptr;
        cairo_matrix_invert(&toUser);
        cairo_pattern_set_matrix(pattern.get(), &toUser);
    }
    for (auto& [offset, color] : stops)
        AddColorStop(pattern.get(), offset, color);
    return pattern;
}

PatternPtr BitmapPattern(const TvxBrushBitmap& brushBitmap, const TvxRect& r, bool stroke, float strokeThickness, float deviceScale)
{
    const TvxBitmap* stated = &brushBitmap.Bitmap();
    if (TvxBitmap* resource = stated->ResourceBitmap())
        stated = resource;
    if (stated->IsEmpty())
        return nullptr;
    const TvxBitmap* bitmap = &stated->ForDeviceScale(deviceScale);
    PatternPtr pattern(cairo_pattern_create_for_surface(bitmap->Surface()));
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
    // A tile covers the stated picture's size in units, whichever picture fills it.
    cairo_matrix_t density;
    cairo_matrix_init_scale(&density, double(bitmap->Width()) / stated->Width(), double(bitmap->Height()) / stated->Height());
    switch (brushBitmap.WrapMode()) {
    case TvxWrapMode::vgWrapTileStretch: {
        float extra = stroke ? 0 : strokeThickness / 2;
        double sx = (r.Width() + extra) / bitmap->Width(), sy = (r.Height() + extra) / bitmap->Height();
        if (sx == 0 || sy == 0)
            return nullptr;
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, 1 / sx, 1 / sy);
        cairo_pattern_set_matrix(pattern.get(), &m);
        break;
    }
    case TvxWrapMode::vgWrapTileOriginal: {
        // Every other copy mirrored left to right: one tile of the picture and its
        // mirror image, repeated.
        int w = bitmap->Width(), h = bitmap->Height();
        cairo_surface_t* pair = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * w, h);
        cairo_t* cr = cairo_create(pair);
        cairo_set_source_surface(cr, bitmap->Surface(), 0, 0);
        cairo_paint(cr);
        cairo_translate(cr, 2.0 * w, 0);
        cairo_scale(cr, -1, 1);
        cairo_set_source_surface(cr, bitmap->Surface(), 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        pattern.reset(cairo_pattern_create_for_surface(pair));
        cairo_surface_destroy(pair);
        cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        if (bitmap != stated)
            cairo_pattern_set_matrix(pattern.get(), &density);
        break;
    }
    case TvxWrapMode::vgWrapTile:
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        if (bitmap != stated)
            cairo_pattern_set_matrix(pattern.get(), &density);
        break;
    }
    return pattern;
}

}

cairo_matrix_t ToCairo(const TvxMatrix& m)
{
    cairo_matrix_t c;
    cairo_matrix_init(&c, m.m11, m.m12, m.m21, m.m22, m.m31, m.m32);
    return c;
}

bool Invertible(const cairo_matrix_t& m)
{
    double det = m.xx * m.yy - m.xy * m.yx;
    return std::isfinite(det) && std::fabs(det) > 1e-12 && std::isfinite(m.x0) && std::isfinite(m.y0);
}

PatternPtr SolidPattern(TvxColor color)
{
    return PatternPtr(cairo_pattern_create_rgba(ColorRed(color) / 255.0, ColorGreen(color) / 255.0, ColorBlue(color) / 255.0,
        ColorAlpha(color) / 255.0));
}

const TvxBrush& ResolveBrush(const TvxBrush& brush)
{
    const TvxBrush* current = &brush;
    for (int depth = 0; depth < 16 && current->Style() == TvxBrushStyle::vgBrushResource; ++depth) {
        const TvxBrush* resolved = current->Resource().Brush();
        if (!resolved || resolved == current)
            break;
        current = resolved;
    }
    return *current;
}

PatternPtr BrushPattern(const TvxBrush& source, const TvxRect& r, float opacity, bool stroke, float strokeThickness,
    float deviceScale, float& alpha)
{
    alpha = 1;
    const TvxBrush& brush = ResolveBrush(source);
    switch (brush.Style()) {
    case TvxBrushStyle::vgBrushSolid:
        return SolidPattern(ColorWithOpacity(brush.SolidColor(), opacity));
    case TvxBrushStyle::vgBrushGradient:
        if (brush.Gradient().Points().Count() < 2)
            return stroke ? SolidPattern(ColorWithOpacity(brush.SolidColor(), opacity)) : SolidPattern(0);
        return GradientPattern(brush.Gradient(), r, opacity, !stroke);
    case TvxBrushStyle::vgBrushBitmap:
        alpha = std::clamp(opacity, 0.0f, 1.0f);
        return BitmapPattern(brush.Bitmap(), r, stroke, strokeThickness, deviceScale);
    default:
        return SolidPattern(0);
    }
}

bool TransparentBorder(cairo_surface_t* picture)
{
    if (!picture || cairo_surface_get_type(picture) != CAIRO_SURFACE_TYPE_IMAGE || cairo_image_surface_get_format(picture) != CAIRO_FORMAT_ARGB32)
        return false;
    const int width = cairo_image_surface_get_width(picture), height = cairo_image_surface_get_height(picture);
    cairo_surface_flush(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    if (!data || width < 3 || height < 3)
        return false;
    const int stride = cairo_image_surface_get_stride(picture);
    auto row = [&](int y) { return reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride); };
    auto transparent = [](std::uint32_t pixel) { return (pixel >> 24) == 0; };
    if (!std::all_of(row(0), row(0) + width, transparent) || !std::all_of(row(height - 1), row(height - 1) + width, transparent))
        return false;
    for (int y = 1; y < height - 1; ++y) {
        if (!transparent(row(y)[0]) || !transparent(row(y)[width - 1]))
            return false;
    }
    return true;
}

}
