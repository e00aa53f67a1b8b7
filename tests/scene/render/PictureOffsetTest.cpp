// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace nimbrell {
namespace {

// Premultiplied pixels of every alpha, with a transparent outer ring when asked.
void FillRandom(TvxBitmap& bitmap, std::mt19937& random, bool transparentRing)
{
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const bool ring = x == 0 || y == 0 || x == bitmap.Width() - 1 || y == bitmap.Height() - 1;
            const std::uint32_t alpha = transparentRing && ring ? 0 : random() % 256;
            std::uint32_t pixel = alpha << 24;
            for (int shift : { 0, 8, 16 })
                pixel |= (alpha ? random() % (alpha + 1) : 0) << shift;
            bitmap.Scanline(y)[x] = pixel;
        }
    }
    bitmap.MarkDirty();
}

// What drawing a picture with the fast filter into a rectangle off the pixel grid
// has always been: the rectangle as a shape, the picture mapped onto it.
void DrawThroughTheRectangle(TvxBitmap& target, const TvxBitmap& picture, double tx, double ty, const TvxRect& d, float opacity)
{
    cairo_t* cr = cairo_create(target.Surface());
    cairo_translate(cr, tx, ty);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(picture.Surface());
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -d.Left, -d.Top);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_rectangle(cr, d.Left, d.Top, d.Width(), d.Height());
    cairo_set_source(cr, pattern);
    if (opacity >= 1) {
        cairo_fill(cr);
    } else {
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, opacity);
    }
    cairo_pattern_destroy(pattern);
    cairo_destroy(cr);
    target.MarkDirty();
}

TEST(PictureOffsetTest, APictureMovedByFractionsOfAPixelDrawsWhatTheRectangleAlwaysDrew)
{
    // Moves through both halves of a pixel and its exact middle, by the matrix and
    // by the rectangle, at full and partial opacities, over a painted background;
    // a picture whose outer pixels show is drawn the old way.
    RegisterSceneRenderClasses();
    std::mt19937 random(11);
    TvxBitmap background(40, 30);
    FillRandom(background, random, false);
    for (bool ring : { true, false }) {
        TvxBitmap picture(13, 9);
        FillRandom(picture, random, ring);
        for (double fraction : { 0.0, 0.25, 0.4999, 0.5, 0.5001, 0.75, 0.999 }) {
            for (float opacity : { 1.0f, 0.99f, 0.5f, 0.13f }) {
                const double tx = 3 + fraction, ty = 2 - fraction;
                const TvxRect d { 4.5f, 7.25f, 4.5f + 13, 7.25f + 9 };
                TvxBitmap expected(40, 30), painted(40, 30);
                expected.SetPixels(40, 30, background.ConstBits());
                painted.SetPixels(40, 30, background.ConstBits());
                DrawThroughTheRectangle(expected, picture, tx, ty, d, opacity);
                TvxCanvas& canvas = painted.Canvas();
                TvxMatrix matrix;
                matrix.m31 = float(tx);
                matrix.m32 = float(ty);
                canvas.SetMatrix(matrix);
                canvas.DrawBitmap(picture, { 0, 0, 13, 9 }, d, opacity, true);
                int differing = 0;
                for (int y = 0; y < 30; ++y)
                    for (int x = 0; x < 40; ++x)
                        differing += painted.Pixel(x, y) != expected.Pixel(x, y);
                EXPECT_EQ(differing, 0) << "ring " << ring << ", fraction " << fraction << ", opacity " << opacity;
            }
        }
    }
}

}
}
