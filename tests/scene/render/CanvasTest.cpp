// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/FontConfiguration.h"
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxBrushObject.h"
#include "scene/render/TvxCanvas.h"
#include "scene/render/TvxPathData.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace nimbrell {
namespace {

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterSceneRenderClasses();
        bitmap.SetSize(20, 20);
    }

    TvxCanvas& Canvas() { return bitmap.Canvas(); }
    std::uint32_t At(int x, int y) const { return bitmap.Pixel(x, y); }
    int Alpha(int x, int y) const { return int(At(x, y) >> 24); }
    int CountInk() const
    {
        int count = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                count += At(x, y) != 0;
        return count;
    }

    TvxBitmap bitmap;
};

TEST_F(CanvasTest, FillsRectanglesWithOpacityUnderTheMatrix)
{
    TvxCanvas& canvas = Canvas();
    canvas.Fill().SetSolidColor(0xFFFF0000);
    canvas.SetMatrix(TvxMatrix::Translation(5, 5));
    canvas.FillRect({ 0, 0, 10, 10 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(4, 4), 0u);
    EXPECT_EQ(At(5, 5), 0xFFFF0000u);
    EXPECT_EQ(At(14, 14), 0xFFFF0000u);
    EXPECT_EQ(At(15, 15), 0u);

    // Opacity scales the colour's alpha, truncated: 0.5 × 255 → 127.
    canvas.SetMatrix({});
    bitmap.Clear(0);
    canvas.FillRect({ 0, 0, 2, 2 }, 0, 0, kAllCorners, 0.5f);
    EXPECT_EQ(Alpha(1, 1), 127);

    canvas.Fill().SetStyle(TvxBrushStyle::vgBrushNone);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(10, 10), 0u);
}

TEST_F(CanvasTest, RoundedCornersAreReducedToHalfTheSide)
{
    TvxCanvas& canvas = Canvas();
    canvas.Fill().SetSolidColor(0xFF000000);
    // 10 wide with xRadius 8 is drawn with an x radius of 5: a capsule of a 10 × 20 rect.
    canvas.FillRect({ 0, 0, 10, 20 }, 8, 5, kAllCorners, 1);
    EXPECT_EQ(Alpha(0, 0), 0);
    EXPECT_EQ(Alpha(5, 1), 255);
    EXPECT_EQ(Alpha(9, 0), 0);
    EXPECT_EQ(Alpha(0, 10), 255);
    // Square corners outside the set stay filled.
    bitmap.Clear(0);
    canvas.FillRect({ 0, 0, 20, 20 }, 6, 6, { TvxCorner::vgCornerTopLeft }, 1);
    EXPECT_EQ(Alpha(0, 0), 0);
    EXPECT_EQ(Alpha(19, 0), 255);
    EXPECT_EQ(Alpha(19, 19), 255);
}

TEST_F(CanvasTest, LinearGradientPadsItsFirstStop)
{
    TvxCanvas& canvas = Canvas();
    TvxBrush& fill = canvas.Fill();
    fill.SetStyle(TvxBrushStyle::vgBrushGradient);
    TvxGradient& gradient = fill.Gradient();
    gradient.StopPosition().SetPoint({ 1, 0 });
    gradient.Points()[0].SetIntColor(0xFFFF0000);
    gradient.Points()[0].SetOffset(0.2f);
    gradient.Points()[1].SetIntColor(0xFF0000FF);
    gradient.Points()[1].SetOffset(1);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    // The first colour holds from the start point up to 0.2 (x = 4).
    EXPECT_EQ(At(0, 5), 0xFFFF0000u);
    EXPECT_EQ(At(3, 5), 0xFFFF0000u);
    std::uint32_t middle = At(12, 5);
    EXPECT_GT(middle & 0xFF, 0x60u);
    EXPECT_GT(middle >> 16 & 0xFF, 0x60u);
    EXPECT_GE(At(19, 5) & 0xFF, 0xF0u);
}

TEST_F(CanvasTest, RadialGradientRunsFromCentreToEdge)
{
    TvxCanvas& canvas = Canvas();
    TvxBrush& fill = canvas.Fill();
    fill.SetStyle(TvxBrushStyle::vgBrushGradient);
    fill.Gradient().SetStyle(TvxGradientStyle::vgRadialGradient);
    fill.Gradient().Points()[0].SetIntColor(0xFFFFFFFF);
    fill.Gradient().Points()[1].SetIntColor(0xFF000000);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_GT(At(10, 10) & 0xFF, 0xE0u);
    EXPECT_EQ(At(0, 0), 0xFF000000u);
}

TEST_F(CanvasTest, StrokesFollowThicknessAndDash)
{
    TvxCanvas& canvas = Canvas();
    canvas.Stroke().SetSolidColor(0xFF00FF00);
    canvas.SetStrokeThickness(2);
    canvas.DrawLine({ 0, 10 }, { 20, 10 }, 1);
    EXPECT_EQ(At(5, 9), 0xFF00FF00u);
    EXPECT_EQ(At(5, 10), 0xFF00FF00u);
    EXPECT_EQ(At(5, 8), 0u);
    EXPECT_EQ(At(5, 11), 0u);

    bitmap.Clear(0);
    canvas.SetStrokeDash(TvxStrokeDash::vgDashDash); // 3, 1 pen widths: 6 on, 2 off
    canvas.DrawLine({ 0, 10 }, { 20, 10 }, 1);
    EXPECT_EQ(At(1, 10), 0xFF00FF00u);
    EXPECT_EQ(At(6, 10), 0u);
    EXPECT_EQ(At(9, 10), 0xFF00FF00u);

    canvas.SetCustomDash({ 1, 1 }, 0);
    canvas.SetStrokeDash(TvxStrokeDash::vgDashCustom);
    EXPECT_EQ(canvas.Dash(), (std::vector<float> { 1, 1 }));
    canvas.SetStrokeDash(TvxStrokeDash::vgDashSolid);
    EXPECT_TRUE(canvas.Dash().empty());
}

TEST_F(CanvasTest, ClippingAndSaveSlots)
{
    TvxCanvas& canvas = Canvas();
    canvas.Fill().SetSolidColor(0xFF0000FF);
    int outer = canvas.SaveCanvas();
    canvas.IntersectClipRect({ 5, 5, 15, 15 });
    canvas.ExcludeClipRect({ 8, 8, 12, 12 });
    canvas.Fill().SetSolidColor(0xFFFF0000);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(4, 4), 0u);
    EXPECT_EQ(At(6, 6), 0xFFFF0000u);
    EXPECT_EQ(At(10, 10), 0u);
    canvas.RestoreCanvas(outer);
    // The fill brush and the clip came back; restoring the same slot again does nothing.
    canvas.RestoreCanvas(outer);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(0, 0), 0xFF0000FFu);
    EXPECT_EQ(At(10, 10), 0xFF0000FFu);

    // Slots are reused once free.
    int a = canvas.SaveCanvas();
    canvas.RestoreCanvas(a);
    EXPECT_EQ(canvas.SaveCanvas(), a);
}

TEST_F(CanvasTest, StateGuardRestoresClipAndMatrixWhenAnExceptionLeaves)
{
    TvxCanvas& canvas = Canvas();
    canvas.Fill().SetSolidColor(0xFFFF0000);
    try {
        TvxCanvasStateGuard guard(canvas);
        canvas.SetMatrix(TvxMatrix::Translation(5, 5));
        canvas.IntersectClipRect({ 0, 0, 2, 2 });
        throw std::runtime_error("paint failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(canvas.Matrix(), TvxMatrix::Identity());
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(15, 15), 0xFFFF0000u) << "the clip went with the guard";
}

TEST_F(CanvasTest, DegenerateMatrixDrawsNothingAndRaisesNothing)
{
    TvxCanvas& canvas = Canvas();
    canvas.SetMatrix(TvxMatrix::Scaling(0, 1));
    EXPECT_NO_THROW(canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1));
    EXPECT_EQ(CountInk(), 0);
    canvas.SetMatrix({});
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(3, 3), 0xFFFFFFFFu);
}

TEST_F(CanvasTest, PathsMapTheirBoundsIntoTheTarget)
{
    TvxPathData triangle;
    ASSERT_TRUE(triangle.SetPathString("M 0,0 L 0,1 L 1,0.500 Z"));
    TvxCanvas& canvas = Canvas();
    canvas.Fill().SetSolidColor(0xFF000000);
    canvas.FillPath(triangle, { 0, 0, 20, 20 }, 1);
    EXPECT_EQ(Alpha(1, 10), 255);
    EXPECT_EQ(Alpha(18, 2), 0);
    EXPECT_TRUE(canvas.PtInPath({ 2, 10 }, { 0, 0, 20, 20 }, triangle));
    EXPECT_FALSE(canvas.PtInPath({ 18, 2 }, { 0, 0, 20, 20 }, triangle));
    EXPECT_FALSE(canvas.PtInPath({ 25, 10 }, { 0, 0, 20, 20 }, triangle));

    TvxPathData flat;
    flat.MoveTo({ 0, 5 });
    flat.LineTo({ 10, 5 });
    EXPECT_NEAR(flat.Bounds().Height(), 0.001f, 1e-6);
}

TEST_F(CanvasTest, DrawsBitmapsScaledWithOpacity)
{
    TvxBitmap source(2, 2);
    source.Clear(0xFFFF0000);
    source.Bits()[3] = 0xFF0000FF;
    source.MarkDirty();
    TvxCanvas& canvas = Canvas();
    canvas.DrawBitmap(source, { 0, 0, 2, 2 }, { 0, 0, 20, 20 }, 1, true);
    EXPECT_EQ(At(2, 2), 0xFFFF0000u);
    EXPECT_EQ(At(15, 15), 0xFF0000FFu);
    bitmap.Clear(0);
    canvas.DrawBitmap(source, { 1, 1, 2, 2 }, { 0, 0, 4, 4 }, 0.5f, false);
    EXPECT_NEAR(Alpha(2, 2), 128, 1);
    EXPECT_EQ(At(2, 2) & 0xFF, At(2, 2) >> 24);
    EXPECT_EQ(At(5, 5), 0u);
}

TEST_F(CanvasTest, BitmapBrushesTileMirrorOrStretch)
{
    TvxCanvas& canvas = Canvas();
    TvxBrush& fill = canvas.Fill();
    fill.SetStyle(TvxBrushStyle::vgBrushBitmap);
    TvxBitmap& tile = fill.Bitmap().Bitmap();
    tile.SetSize(2, 1);
    tile.Bits()[0] = 0xFFFF0000;
    tile.Bits()[1] = 0xFF0000FF;
    tile.MarkDirty();
    canvas.SetStrokeThickness(0);

    fill.Bitmap().SetWrapMode(TvxWrapMode::vgWrapTile);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(2, 5), 0xFFFF0000u);
    EXPECT_EQ(At(3, 5), 0xFF0000FFu);

    // Every other copy is mirrored left to right: red blue | blue red | red blue.
    fill.Bitmap().SetWrapMode(TvxWrapMode::vgWrapTileOriginal);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(1, 5), 0xFF0000FFu);
    EXPECT_EQ(At(2, 5), 0xFF0000FFu);
    EXPECT_EQ(At(3, 5), 0xFFFF0000u);
    EXPECT_EQ(At(4, 5), 0xFFFF0000u);

    // One copy covers the rectangle; at half opacity the alpha halves.
    fill.Bitmap().SetWrapMode(TvxWrapMode::vgWrapTileStretch);
    bitmap.Clear(0);
    canvas.FillRect({ 0, 0, 20, 20 }, 0, 0, kAllCorners, 0.5f);
    EXPECT_NEAR(Alpha(2, 10), 128, 1);
    EXPECT_EQ(At(2, 10) & 0xFF, 0u);
    EXPECT_EQ(At(17, 10) >> 16 & 0xFF, 0u);
}

TEST_F(CanvasTest, ResourceBrushesPaintWhatTheyName)
{
    TvxBrushObject named(nullptr);
    named.SetResourceName("accent");
    named.Brush().SetSolidColor(0xFF00FF00);
    TvxCanvas& canvas = Canvas();
    canvas.Fill().SetStyle(TvxBrushStyle::vgBrushResource);
    canvas.Fill().Resource().SetResourceName("accent");
    canvas.FillRect({ 0, 0, 4, 4 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(1, 1), 0xFF00FF00u);
    // A name that resolves to nothing paints nothing.
    canvas.Fill().Resource().SetResourceName("missing");
    canvas.FillRect({ 5, 5, 9, 9 }, 0, 0, kAllCorners, 1);
    EXPECT_EQ(At(6, 6), 0u);
}

TEST_F(CanvasTest, RoundCapsReachBeyondTheEnds)
{
    TvxCanvas& canvas = Canvas();
    canvas.SetStrokeThickness(6);
    canvas.DrawLine({ 5, 10 }, { 15, 10 }, 1);
    EXPECT_EQ(Alpha(3, 10), 0);
    canvas.SetStrokeCap(TvxStrokeCap::vgCapRound);
    canvas.DrawLine({ 5, 10 }, { 15, 10 }, 1);
    EXPECT_EQ(Alpha(3, 10), 255);
    EXPECT_EQ(Alpha(16, 10), 255);
}

TEST_F(CanvasTest, ClearTypeTextIsSubpixelAntialiased)
{
    auto channelsDiffer = [this](bool clearType) {
        bitmap.SetSize(60, 30);
        bitmap.Clear(0);
        TvxCanvas& canvas = Canvas();
        canvas.Font().SetSize(16);
        canvas.Font().SetClearType(clearType);
        canvas.FillText({ 0, 0, 60, 30 }, {}, "Wind", false, 1);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 60; ++x) {
                std::uint32_t p = At(x, y);
                if ((p >> 16 & 0xFF) != (p & 0xFF))
                    return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(channelsDiffer(false));
    EXPECT_TRUE(channelsDiffer(true));
}

TEST_F(CanvasTest, ClearRectWritesOnlyInsideTheBuffer)
{
    auto canvas = TvxCanvas::CreateBuffered(10, 10);
    canvas->ClearRect({ -5, -5, 3, 3 }, 0xFFFFFFFF);
    TvxBitmap* buffer = canvas->Buffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(buffer->Pixel(2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(buffer->Pixel(3, 3), 0u);

    // A buffer the back end cannot hold fails with the buffer's message.
    try {
        canvas->ResizeBuffer(40000, 10);
        ADD_FAILURE() << "no error";
    } catch (const TvxCanvasError& error) {
        EXPECT_STREQ(error.what(), "Can't allocate the DIB handle");
    }
    canvas->ResizeBuffer(5, 5);
    EXPECT_EQ(canvas->Buffer()->Width(), 5);
}

TEST_F(CanvasTest, TextAtFullOpacityIsDrawnAt252)
{
    bitmap.SetSize(60, 40);
    TvxCanvas& canvas = Canvas();
    canvas.Font().SetSize(36);
    canvas.Font().SetClearType(false);
    canvas.FillText({ 0, 0, 60, 40 }, {}, "W", false, 1);
    int maxAlpha = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            maxAlpha = std::max(maxAlpha, Alpha(x, y));
    EXPECT_EQ(maxAlpha, 252);
}

TEST_F(CanvasTest, TextAlignsAndMeasures)
{
    TvxCanvas& canvas = Canvas();
    canvas.Font().SetSize(12);
    TvxRect near { 0, 0, 200, 100 };
    canvas.MeasureText(near, near, "abc", false, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
    EXPECT_FLOAT_EQ(near.Left, 0);
    EXPECT_FLOAT_EQ(near.Top, 0);
    EXPECT_GT(near.Width(), 10);
    TvxRect far { 0, 0, 200, 100 };
    canvas.MeasureText(far, far, "abc", false, TvxTextAlign::vgTextAlignFar, TvxTextAlign::vgTextAlignFar);
    EXPECT_NEAR(far.Right, 200, 0.01);
    EXPECT_NEAR(far.Bottom, 100, 0.01);
    EXPECT_NEAR(canvas.TextWidth("abc"), near.Width(), 0.01);
    // Trailing spaces count.
    EXPECT_GT(canvas.TextWidth("abc  "), near.Width());

    TvxRect wrapped { 0, 0, 30, 100 };
    canvas.MeasureText(wrapped, wrapped, "word word word", true, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
    EXPECT_GT(wrapped.Height(), 2 * near.Height());
}

TEST_F(CanvasTest, TextToPathGivesTheGlyphOutlinesWhereTheTextIsLaidOut)
{
    TvxCanvas& canvas = Canvas();
    canvas.Font().SetSize(20);
    TvxRect box { 0, 0, 200, 100 };
    TvxRect laidOut = box;
    canvas.MeasureText(laidOut, box, "Hi", false, TvxTextAlign::vgTextAlignFar, TvxTextAlign::vgTextAlignFar);
    TvxPathData path;
    ASSERT_TRUE(canvas.TextToPath(path, box, "Hi", false, TvxTextAlign::vgTextAlignFar, TvxTextAlign::vgTextAlignFar));
    TvxRect bounds = path.Bounds();
    // Ink may touch the laid-out box.
    EXPECT_GE(bounds.Left, laidOut.Left - 0.5f);
    EXPECT_LE(bounds.Right, laidOut.Right + 0.5f);
    EXPECT_GE(bounds.Top, laidOut.Top - 0.5f);
    EXPECT_LE(bounds.Bottom, laidOut.Bottom + 0.5f);
    EXPECT_GT(bounds.Width(), 10);
    // "H" and "i" and the dot of the i: at least three closed outlines.
    int closed = 0;
    for (const TvxPathPoint& point : path.Points())
        closed += point.Kind == TvxPathPointKind::vgPathPointClose;
    EXPECT_GE(closed, 3);
    // The current matrix does not move the outlines.
    canvas.SetMatrix(TvxMatrix::Translation(50, 50));
    TvxPathData moved;
    canvas.TextToPath(moved, box, "Hi", false, TvxTextAlign::vgTextAlignFar, TvxTextAlign::vgTextAlignFar);
    EXPECT_EQ(moved.Bounds(), bounds);

    EXPECT_FALSE(canvas.TextToPath(path, box, "", false, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear));
    EXPECT_TRUE(path.IsEmpty());
}

TEST_F(CanvasTest, ChineseTextFindsGlyphs)
{
    // The families the scenes name resolve to a font that has Chinese glyphs.
    LoadFontConfiguration();
    for (const char* family : { "Tahoma", "Fixedsys", "Franklin Gothic" }) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        ASSERT_NE(match, nullptr) << family;
        FcCharSet* charset = nullptr;
        ASSERT_EQ(FcPatternGetCharSet(match, FC_CHARSET, 0, &charset), FcResultMatch);
        EXPECT_TRUE(FcCharSetHasChar(charset, 0x5929)) << family; // 天
        EXPECT_TRUE(FcCharSetHasChar(charset, 0x6C14)) << family; // 气
        FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }

    bitmap.SetSize(40, 24);
    TvxCanvas& canvas = Canvas();
    canvas.Font().SetSize(20);
    canvas.Fill().SetSolidColor(0xFF000000);
    canvas.FillText({ 0, 0, 40, 24 }, {}, "天", false, 0.5f);
    TvxBitmap first;
    first.Assign(bitmap);
    bitmap.Clear(0);
    canvas.FillText({ 0, 0, 40, 24 }, {}, "气", false, 0.5f);
    int differing = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            differing += first.Pixel(x, y) != bitmap.Pixel(x, y);
    EXPECT_GT(CountInk(), 20);
    EXPECT_GT(differing, 20);
}

}
}
