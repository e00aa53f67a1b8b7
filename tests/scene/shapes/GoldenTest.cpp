// SPDX-License-Identifier: GPL-3.0-or-later
// Small scenes painted through the whole pipeline and compared with committed
// reference pictures, channel by channel with a tolerance, and at a few probe pixels
// whose values follow from the scene by hand (so a rewritten reference cannot hide a
// fault). NIMBRELL_UPDATE_GOLDEN=1 rewrites the references and fails the run; look at
// every one before committing it.
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxGradient.h"
#include "scene/shapes/TvxEllipse.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxPath.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/support/GoldenImage.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

using namespace nimbrell;
using nimbrell::testing::Channel;
using nimbrell::testing::ExpectLikeReference;

namespace {

const std::filesystem::path goldenFolder = NIMBRELL_GOLDEN_DIR;
const std::filesystem::path artFolder = NIMBRELL_ART_DIR;

template<typename T>
T* add(TvxVisualObject* parent, float x, float y, float w, float h)
{
    auto* object = new T(nullptr);
    object->SetBounds(x, y, w, h);
    parent->AddObject(object);
    return object;
}

void gradients(TvxVisualObject* root)
{
    auto* linear = add<TvxRectangle>(root, 4, 4, 72, 52);
    linear->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    TvxBrush& fill = linear->Fill();
    fill.SetStyle(TvxBrushStyle::vgBrushGradient);
    auto& points = fill.Gradient().Points();
    points[0].SetColor("#FFE04040");
    points[1].SetColor("#FF4040E0");
    auto& middle = points.AddItem();
    middle.SetColor("#FFF0E040");
    middle.SetOffset(0.5f);
    fill.Gradient().StopPosition().SetPoint({ 1, 1 });

    auto* radial = add<TvxEllipse>(root, 84, 4, 52, 52);
    radial->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    radial->Fill().SetStyle(TvxBrushStyle::vgBrushGradient);
    radial->Fill().Gradient().SetStyle(TvxGradientStyle::vgRadialGradient);
    radial->Fill().Gradient().Points()[0].SetColor("#FFFFFFFF");
    radial->Fill().Gradient().Points()[1].SetColor("#0000A000");
}

void roundedRectangles(TvxVisualObject* root)
{
    struct Style {
        TvxCornerType corners;
        TvxStrokeDash dash;
        float thickness;
    } styles[] = {
        { TvxCornerType::vgCornerRound, TvxStrokeDash::vgDashSolid, 3 },
        { TvxCornerType::vgCornerBevel, TvxStrokeDash::vgDashSolid, 2 },
        { TvxCornerType::vgCornerRound, TvxStrokeDash::vgDashDash, 2 },
    };
    float x = 4;
    for (const auto& style : styles) {
        auto* r = add<TvxRectangle>(root, x, 6, 40, 48);
        r->SetxRadius(10);
        r->SetyRadius(10);
        r->SetCornerType(style.corners);
        r->SetStrokeDash(style.dash);
        r->SetStrokeThickness(style.thickness);
        r->Fill().SetSolidColor(0xFF3C78B4);
        r->Stroke().SetSolidColor(0xFFFFFFFF);
        x += 46;
    }
}

void pathGlyph(TvxVisualObject* root)
{
    auto* star = add<TvxPath>(root, 4, 4, 56, 56);
    TvxPathData data;
    for (int i = 0; i < 10; ++i) {
        double angle = -M_PI / 2 + i * M_PI / 5;
        double radius = i % 2 == 0 ? 50 : 20;
        TvxPoint point { float(50 + radius * std::cos(angle)), float(50 + radius * std::sin(angle)) };
        if (i == 0)
            data.MoveTo(point);
        else
            data.LineTo(point);
    }
    data.ClosePath();
    star->SetPathData(data);
    star->SetWrapMode(TvxPathWrap::vgPathFit);
    star->Fill().SetSolidColor(0xFFF0B428);
    star->Stroke().SetSolidColor(0xFF8C5A00);
    star->SetStrokeThickness(2);
}

void chineseText(TvxVisualObject* root)
{
    auto* large = add<TvxText>(root, 0, 0, 120, 40);
    large->SetWordWrap(false);
    large->SetText("25℃~");
    large->Font().SetFamily("Franklin Gothic");
    large->Font().SetSize(26);
    large->Font().SetStyle(TvxFontStyle::vgFontBold);
    large->Font().SetClearType(false);
    large->Fill().SetSolidColor(0xFFE9E9E9);
    auto* line = add<TvxText>(root, 0, 40, 160, 20);
    line->SetText("多云转晴 北风4-5级");
    line->Font().SetFamily("Fixedsys");
    line->Font().SetSize(13);
    line->Font().SetStyle(TvxFontStyle::vgFontBold);
    line->Font().SetClearType(false);
    line->Fill().SetSolidColor(0xFFEBA335);
    line->SetHorzTextAlign(TvxTextAlign::vgTextAlignNear);
}

void fittedPicture(TvxVisualObject* root)
{
    auto* image = add<TvxImage>(root, 0, 0, 80, 56);
    ASSERT_TRUE(image->Bitmap().LoadFromFile(artFolder / "weather" / "07.png"));
    image->SetWrapMode(TvxImageWrap::vgImageFit);
}

void opacityDownATree(TvxVisualObject* root)
{
    auto* outer = add<TvxLayout>(root, 0, 0, 60, 60);
    outer->SetOpacity(0.5f);
    auto* inner = add<TvxRectangle>(outer, 10, 10, 40, 40);
    inner->SetOpacity(0.5f);
    inner->Fill().SetSolidColor(0xFFFFFFFF);
    inner->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    auto* full = add<TvxRectangle>(outer, 20, 20, 20, 20);
    full->Fill().SetSolidColor(0xFFFF0000);
    full->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
}

// A pixel whose premultiplied value is known from the scene alone.
struct Probe {
    int x;
    int y;
    std::uint32_t expected;
    int tolerance;
};

struct Golden {
    const char* name;
    int width;
    int height;
    std::function<void(TvxVisualObject*)> build;
    int tolerance;
    std::vector<Probe> probes;
};

class GoldenTest : public ::testing::TestWithParam<Golden> {
protected:
    GoldenTest() { RegisterSceneHostClasses(); }
};

}

TEST_P(GoldenTest, PaintsLikeTheReference)
{
    const Golden& golden = GetParam();
    TvxCustomScene scene(golden.width, golden.height);
    scene.SetTransparency(true);
    auto* root = new TvxBackground(nullptr);
    scene.AddObject(root);
    golden.build(root);
    scene.DrawAll();
    TvxBitmap& painted = scene.Buffer();
    for (const Probe& probe : golden.probes) {
        for (int shift : { 0, 8, 16, 24 }) {
            EXPECT_NEAR(Channel(painted.Pixel(probe.x, probe.y), shift), Channel(probe.expected, shift), probe.tolerance)
                << golden.name << " at (" << probe.x << ", " << probe.y << "), bits " << shift;
        }
    }
    ExpectLikeReference(painted, goldenFolder / (std::string(golden.name) + ".png"), golden.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Scenes, GoldenTest,
    ::testing::Values(
        // The linear gradient starts red at the top-left corner and is at 0.49 (nearly the
        // yellow middle stop) on the diagonal's middle; the radial one is white at the
        // centre, fading to transparent.
        Golden { "gradients", 140, 60, gradients, 3,
            { { 2, 2, 0, 0 }, { 4, 4, 0xFFE04340, 4 }, { 39, 29, 0xFFF0DD40, 4 }, { 110, 30, 0xF8F0F5F0, 8 }, { 139, 59, 0, 0 } } },
        // Fill inside, the 3-pixel white outline at the left edge, nothing outside the
        // rounded corner.
        Golden { "rounded-rectangles", 140, 60, roundedRectangles, 3,
            { { 24, 30, 0xFF3C78B4, 0 }, { 5, 30, 0xFFFFFFFF, 0 }, { 4, 6, 0, 0 }, { 70, 30, 0xFF3C78B4, 0 } } },
        Golden { "path-glyph", 64, 64, pathGlyph, 3, { { 32, 32, 0xFFF0B428, 0 }, { 5, 60, 0, 0 } } },
        // No glyph reaches the corners.
        Golden { "chinese-text", 160, 60, chineseText, 24, { { 0, 0, 0, 0 }, { 159, 10, 0, 0 }, { 159, 59, 0, 0 } } },
        // The 175×120 picture fitted to 80×55: (40, 28) shows its pixel (88, 62).
        Golden { "fitted-picture", 80, 56, fittedPicture, 3, { { 0, 0, 0, 0 }, { 40, 28, 0xFF5C6674, 3 } } },
        // White at 0.5 × 0.5 (alpha 63); red at 0.5 (alpha 127) over it.
        Golden { "opacity-tree", 60, 60, opacityDownATree, 2, { { 5, 5, 0, 0 }, { 15, 15, 0x3F3F3F3F, 1 }, { 30, 30, 0x9F9F2020, 2 } } }),
    [](const ::testing::TestParamInfo<Golden>& info) {
        std::string name = info.param.name;
        std::erase(name, '-');
        return name;
    });
