// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

namespace nimbrell {
namespace {

// Premultiplied pixels of every alpha, with a transparent outer ring as deep as asked.
void FillRandom(TvxBitmap& bitmap, std::mt19937& random, int ringDepth)
{
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const bool ring = std::min({ x, y, bitmap.Width() - 1 - x, bitmap.Height() - 1 - y }) < ringDepth;
            const std::uint32_t alpha = ring ? 0 : random() % 256;
            std::uint32_t pixel = alpha << 24;
            for (int shift : { 0, 8, 16 })
                pixel |= (alpha ? random() % (alpha + 1) : 0) << shift;
            bitmap.Scanline(y)[x] = pixel;
        }
    }
    bitmap.MarkDirty();
}

// Fills the rectangle with the pattern at the opacity, as the canvas always has,
// and lets the drawing go.
void FillRectangle(TvxBitmap& target, cairo_t* cr, cairo_pattern_t* pattern, const TvxRect& d, float opacity)
{
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
    FillRectangle(target, cr, pattern, d, opacity);
}

TEST(PictureOffsetTest, APictureMovedByFractionsOfAPixelDrawsWhatTheRectangleAlwaysDrew)
{
    // Moves through both halves of a pixel and its exact middle, by the matrix and
    // by the rectangle, at full and partial opacities, over a painted background;
    // a picture whose outer pixels show is drawn the old way.
    RegisterSceneRenderClasses();
    std::mt19937 random(11);
    TvxBitmap background(40, 30);
    FillRandom(background, random, 0);
    for (int ring : { 3, 0 }) {
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

// What drawing a picture smaller from its copy at the screen's size into a rectangle
// off the pixel grid has always been.
void DrawCopyThroughTheRectangle(TvxBitmap& target, const TvxBitmap& picture, const TvxRect& d, float opacity)
{
    const double width = d.Width(), height = d.Height();
    const int copyWidth = int(std::lround(width)), copyHeight = int(std::lround(height));
    cairo_t* cr = cairo_create(target.Surface());
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(picture.ScaledCopy(copyWidth, copyHeight));
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, copyWidth / width, copyHeight / height);
    cairo_matrix_translate(&m, -d.Left, -d.Top);
    cairo_pattern_set_matrix(pattern, &m);
    FillRectangle(target, cr, pattern, d, opacity);
}

TEST(PictureOffsetTest, APictureDrawnSmallerOffThePixelGridDrawsWhatTheRectangleAlwaysDrew)
{
    // The day pictures' case: 175 × 120 fitted into 80 wide, so the copy is a little
    // larger or smaller than the rectangle, which slides by fractions of a pixel.
    RegisterSceneRenderClasses();
    std::mt19937 random(5);
    TvxBitmap background(100, 80);
    FillRandom(background, random, 0);
    // A ring of three picture pixels leaves the copy's outer pixels transparent.
    for (int ring : { 3, 0 }) {
        TvxBitmap picture(175, 120);
        FillRandom(picture, random, ring);
        for (float height : { 54.857143f, 55.2f, 54.5f }) {
            for (float fraction : { 0.0f, 0.2f, 0.5f, 0.7f, 0.99f }) {
                for (float opacity : { 1.0f, 0.6f, 0.05f }) {
                    const TvxRect d { 7 + fraction / 3, 11 + fraction, 7 + fraction / 3 + 80, 11 + fraction + height };
                    TvxBitmap expected(100, 80), painted(100, 80);
                    expected.SetPixels(100, 80, background.ConstBits());
                    painted.SetPixels(100, 80, background.ConstBits());
                    DrawCopyThroughTheRectangle(expected, picture, d, opacity);
                    painted.Canvas().DrawBitmap(picture, { 0, 0, 175, 120 }, d, opacity, false);
                    int differing = 0;
                    for (int y = 0; y < 80; ++y)
                        for (int x = 0; x < 100; ++x)
                            differing += painted.Pixel(x, y) != expected.Pixel(x, y);
                    EXPECT_EQ(differing, 0) << "ring " << ring << ", height " << height << ", fraction " << fraction << ", opacity " << opacity;
                }
            }
        }
    }
}

}
}
