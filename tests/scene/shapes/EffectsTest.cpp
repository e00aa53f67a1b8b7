// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectStream.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "scene/shapes/StackBlur.h"
#include "scene/shapes/TvxBitmapEffects.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxRectangle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace nimbrell {
namespace {

// The 32-bit floats on either side of 0.3 and 0.6: stored forms carry both.
constexpr float kJustAbove03 = 0.30000001f;
const float kJustBelow03 = std::nextafter(0.3f, 0.0f);
const float kJustBelow06 = std::nextafter(0.6f, 0.0f);

std::uint32_t Alpha(std::uint32_t pixel) { return pixel >> 24; }

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterSceneShapeClasses();
        root = new TvxLayout(nullptr);
        scene = std::make_unique<TvxCustomScene>(60, 60);
        scene->SetTransparency(true);
        scene->AddObject(root);
    }
    void TearDown() override
    {
        root->Free();
        scene.reset();
    }

    // An opaque rectangle without outline.
    TvxRectangle* Box(float x, float y, float w, float h, TvxColor color = 0xFFFF0000)
    {
        auto* box = new TvxRectangle(nullptr);
        box->SetBounds(x, y, w, h);
        box->Fill().SetSolidColor(color);
        box->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
        root->AddObject(box);
        return box;
    }
    template<typename E>
    E* Decorate(TvxVisualObject* object)
    {
        auto* effect = new E(nullptr);
        object->AddObject(effect);
        return effect;
    }
    std::uint32_t Paint(int x, int y)
    {
        scene->DrawAll();
        return scene->Buffer().Pixel(x, y);
    }
    std::uint32_t At(int x, int y) { return scene->Buffer().Pixel(x, y); }

    std::unique_ptr<TvxCustomScene> scene;
    TvxLayout* root { nullptr };
};

TEST(EffectValuesTest, PaddingsRadiiAndClampsFollowTheStoredFloats)
{
    TvxShadowEffect shadow(nullptr);
    EXPECT_EQ(shadow.Distance(), 3);
    EXPECT_EQ(shadow.Softness(), kJustAbove03);
    EXPECT_EQ(shadow.ShadowColorText(), "#FF000000");
    EXPECT_EQ(shadow.Direction(), 45);
    EXPECT_EQ(shadow.Padding(), 6);
    EXPECT_EQ(shadow.BlurRadius(), 8);
    EXPECT_EQ(shadow.GetOffset(), (TvxPoint { 6, 6 }));
    TvxRect r = shadow.GetRect({ 0, 0, 10, 10 });
    EXPECT_NEAR(r.Left, -6 + 2.1213f, 1e-3);
    EXPECT_NEAR(r.Bottom, 16 + 2.1213f, 1e-3);
    EXPECT_EQ(Alpha(ScaleColorAlpha(0xFF000000, shadow.Opacity())), 153u);

    // The close button's shadow: just below 0.3 and 0.6.
    shadow.SetSoftness(kJustBelow03);
    shadow.SetOpacity(kJustBelow06);
    EXPECT_EQ(shadow.Padding(), 5);
    EXPECT_EQ(shadow.BlurRadius(), 7);
    EXPECT_EQ(Alpha(ScaleColorAlpha(0xFF000000, shadow.Opacity())), 152u);

    shadow.SetSoftness(5);
    EXPECT_EQ(shadow.Softness(), 3);
    shadow.SetOpacity(-1);
    EXPECT_EQ(shadow.Opacity(), 0);

    TvxGlowEffect glow(nullptr);
    EXPECT_EQ(glow.GlowColorText(), "#FFFFD700");
    glow.SetSoftness(0.2f);
    EXPECT_EQ(glow.Padding(), 8);
    EXPECT_EQ(glow.BlurRadius(), 7);
    glow.SetSoftness(0.5f);
    EXPECT_EQ(glow.Padding(), 15);
    EXPECT_EQ(glow.BlurRadius(), 10);
    EXPECT_EQ(glow.GetRect({ 0, 0, 10, 10 }), (TvxRect { -15, -15, 25, 25 }));
    glow.SetSoftness(12);
    EXPECT_EQ(glow.Softness(), 9);

    TvxReflectionEffect reflection(nullptr);
    reflection.SetLength(0.05f);
    EXPECT_EQ(reflection.Length(), 0.1f);
    reflection.SetOffset(3);
    EXPECT_EQ(reflection.GetRect({ 0, 0, 10, 8 }), (TvxRect { -2, 9, 12, 21 }));
    reflection.SetOpacity(2); // not clamped
    EXPECT_EQ(reflection.Opacity(), 2);
}

// The weighted sum written out directly, to check the incremental one against.
std::vector<std::uint32_t> NaiveBlur(const std::vector<std::uint32_t>& in, int w, int h, int r)
{
    auto pass = [&](const std::vector<int>& plane, bool rows) {
        std::vector<int> out(plane.size());
        const int d = (r + 1) * (r + 1);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                long sum = 0;
                for (int i = -r; i <= r; ++i) {
                    int sx = rows ? std::clamp(x + i, 0, w - 1) : x;
                    int sy = rows ? y : std::clamp(y + i, 0, h - 1);
                    sum += long(r + 1 - std::abs(i)) * plane[std::size_t(sy * w + sx)];
                }
                out[std::size_t(y * w + x)] = int(sum / d);
            }
        }
        return out;
    };
    std::vector<std::uint32_t> result(in.size(), 0);
    for (int shift = 0; shift < 32; shift += 8) {
        std::vector<int> plane(in.size());
        for (std::size_t i = 0; i < in.size(); ++i)
            plane[i] = int((in[i] >> shift) & 0xFF);
        plane = pass(pass(plane, true), false);
        for (std::size_t i = 0; i < in.size(); ++i)
            result[i] |= std::uint32_t(plane[i]) << shift;
    }
    return result;
}

TEST(StackBlurTest, MatchesTheTriangularKernelExactly)
{
    std::mt19937 random(7);
    for (auto [w, h, r] : { std::tuple { 9, 5, 1 }, { 13, 11, 8 }, { 3, 20, 7 }, { 1, 1, 4 }, { 5, 3, 40 }, { 30, 2, 95 } }) {
        std::vector<std::uint32_t> pixels(std::size_t(w * h));
        for (auto& p : pixels)
            p = random();
        std::vector<std::uint32_t> expected = NaiveBlur(pixels, w, h, r);
        StackBlur(pixels.data(), w, h, r);
        EXPECT_EQ(pixels, expected) << w << " x " << h << " radius " << r;
    }
    // A lone white pixel spreads into a pyramid; each pass keeps (r + 1) / (r + 1)² of it
    // at the centre.
    std::vector<std::uint32_t> dot(25, 0);
    dot[12] = 0xFFFFFFFF;
    StackBlur(dot.data(), 5, 5, 1);
    EXPECT_EQ(dot[12], 0x3F3F3F3Fu); // 255 × 2/4 = 127, then 127 × 2/4 = 63
    EXPECT_EQ(dot[0], 0u);
    std::vector<std::uint32_t> same = dot;
    StackBlur(dot.data(), 5, 5, 0);
    EXPECT_EQ(dot, same);
}

TEST(ReflectionTest, KeepsRoundedLengthOfRowsFadingAway)
{
    TvxBitmap bitmap(4, 28);
    bitmap.Clear(0xFF808080);
    // Mark the object's last row so the flip shows.
    for (int x = 0; x < 4; ++x)
        bitmap.Bits()[27 * 4 + x] = 0xFF0000FF;
    bitmap.MarkDirty();
    TvxReflectionEffect reflection(nullptr);
    reflection.SetLength(0.4f);
    reflection.ProcessEffect(bitmap.Canvas(), bitmap, 1);
    // round(27 × 0.4) = 11 rows kept.
    for (int y = 0; y < 28; ++y)
        EXPECT_EQ(bitmap.Pixel(0, y) != 0, y < 11) << y;
    // The top row mirrors the object's lower edge at half opacity: alpha 127, and the
    // premultiplied blue 255 scaled once more to 127.
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x7F00007Fu);
    // Row 10 fades to 1/11: alpha trunc(0.5 / 11 × 255) = 11.
    EXPECT_EQ(Alpha(bitmap.Pixel(0, 10)), 11u);
}

TEST_F(EffectsTest, ShadowFallsDownRightSoftlyAndIsCutUnderTheObject)
{
    auto* box = Box(20, 20, 10, 10);
    EXPECT_EQ(Paint(35, 35), 0u);
    auto* shadow = Decorate<TvxShadowEffect>(box);
    scene->DrawAll();
    EXPECT_EQ(At(25, 25), 0xFFFF0000u);
    // Down and right of the box the shadow is dark; the same distance up and left stays
    // almost clear.
    std::uint32_t below = At(31, 31), above = At(18, 18);
    EXPECT_GT(Alpha(below), 40u);
    EXPECT_EQ(below & 0x00FFFFFF, 0u);
    EXPECT_LT(Alpha(above), Alpha(below) / 4);
    // Softness spreads it beyond the shifted rectangle (which ends at 32.1).
    EXPECT_GT(Alpha(At(34, 25)), 0u);

    // Without softness the shadow stops at the shifted rectangle and is hard-edged.
    shadow->SetSoftness(0);
    scene->DrawAll();
    EXPECT_EQ(At(34, 25), 0u);
    EXPECT_EQ(At(18, 18), 0u);
    EXPECT_GT(Alpha(At(31, 25)), 0u);

    // The shadow is cut away under an opaque object: in the effect image the pixels the
    // box covers (local (5, 5) lies at (5 + 6 − 2.1, …)) are empty, those beside it not.
    shadow->SetSoftness(kJustAbove03);
    scene->DrawAll();
    const TvxBitmap* image = box->EffectBitmap(shadow);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Pixel(9, 9), 0u);
    EXPECT_GT(Alpha(image->Pixel(15, 15)), 0u);
    // A half-covering box keeps part of the shadow under it.
    box->Fill().SetSolidColor(0x80FF0000);
    scene->DrawAll();
    std::uint32_t under = Alpha(box->EffectBitmap(shadow)->Pixel(9, 9));
    EXPECT_GT(under, 0u);
    EXPECT_LT(under, 76u); // 153 × 128 / 255, before blur and cut
}

TEST_F(EffectsTest, GlowSurroundsTheShapeOnEverySide)
{
    auto* box = Box(20, 20, 10, 10, 0xFF0000FF);
    Decorate<TvxGlowEffect>(box);
    scene->DrawAll();
    EXPECT_EQ(At(25, 25), 0xFF0000FFu);
    for (auto [x, y] : { std::pair { 17, 25 }, { 32, 25 }, { 25, 17 }, { 25, 32 } }) {
        std::uint32_t p = At(x, y);
        EXPECT_GT(Alpha(p), 30u) << x << "," << y;
        // Gold: red above green above blue.
        EXPECT_GT((p >> 16) & 0xFF, (p >> 8) & 0xFF);
        EXPECT_EQ(p & 0xFF, 0u);
    }
    // Padding 13 at softness 0.4: nothing beyond it.
    EXPECT_EQ(At(5, 25), 0u);
}

TEST_F(EffectsTest, AGlowWithASpreadIsATightOutlineNotASmear)
{
    auto* box = Box(20, 20, 10, 10, 0xFFFFFFFF);
    auto* glow = Decorate<TvxGlowEffect>(box);
    glow->SetGlowColor(0xFF000000);
    glow->SetOpacity(1);
    glow->SetSpread(2);
    EXPECT_EQ(glow->Padding(), 4);
    scene->DrawAll();
    EXPECT_EQ(At(25, 25), 0xFFFFFFFFu) << "the object over its outline";
    for (auto [x, y] : { std::pair { 19, 25 }, { 30, 25 }, { 25, 19 }, { 25, 30 } }) {
        // Next to the shape the outline is nearly solid, not a faint blur.
        EXPECT_GT(Alpha(At(x, y)), 200u) << x << "," << y;
        EXPECT_EQ(At(x, y) & 0x00FFFFFF, 0u);
    }
    // Past the spread and its one-pixel soft edge: nothing.
    for (auto [x, y] : { std::pair { 16, 25 }, { 33, 25 }, { 25, 16 }, { 25, 33 } })
        EXPECT_EQ(At(x, y), 0u) << x << "," << y;
    // Out of range values are kept within 0 … 8; 0 is the blurred halo again.
    glow->SetSpread(40);
    EXPECT_EQ(glow->Spread(), 8);
    glow->SetSpread(-1);
    EXPECT_EQ(glow->Padding(), 13);
}

TEST_F(EffectsTest, ReflectionMirrorsTheObjectBelowItsLowerEdge)
{
    auto* layout = new TvxLayout(nullptr);
    layout->SetBounds(10, 4, 20, 20);
    root->AddObject(layout);
    auto add = [&](float y, TvxColor color) {
        auto* part = new TvxRectangle(nullptr);
        part->SetBounds(0, y, 20, 10);
        part->Fill().SetSolidColor(color);
        part->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
        layout->AddObject(part);
    };
    add(0, 0xFF0000FF);  // blue top
    add(10, 0xFF00FF00); // green bottom
    auto* reflection = Decorate<TvxReflectionEffect>(layout);
    reflection->SetLength(1);
    scene->DrawAll();
    EXPECT_EQ(At(20, 20), 0xFF00FF00u);
    // Just below the edge the green bottom shows, then the blue top, fading out.
    std::uint32_t near = At(20, 25), far = At(20, 40);
    EXPECT_GT((near >> 8) & 0xFF, 0u);
    EXPECT_EQ(near & 0xFF, 0u);
    EXPECT_GT(far & 0xFF, 0u);
    EXPECT_EQ((far >> 8) & 0xFF, 0u);
    EXPECT_GT(Alpha(near), Alpha(far));
    EXPECT_EQ(At(5, 30), 0u);

    // Half the length: the blue half is gone.
    reflection->SetLength(0.5f);
    EXPECT_EQ(Paint(20, 40), 0u);
    EXPECT_GT(Alpha(At(20, 25)), 0u);
}

TEST_F(EffectsTest, UpdateAreaGrowsByTheEffectAndShrinksWhenSwitchedOff)
{
    auto* box = Box(20, 20, 10, 10);
    scene->DrawAll();
    EXPECT_EQ(box->UpdateRect(), (TvxRect { 20, 20, 30, 30 }));
    auto* shadow = Decorate<TvxShadowEffect>(box);
    TvxRect grown = box->UpdateRect();
    EXPECT_NEAR(grown.Left, 20 - 6 + 2.1213f, 1e-3);
    EXPECT_NEAR(grown.Right, 30 + 6 + 2.1213f, 1e-3);
    EXPECT_NEAR(grown.Bottom, 30 + 6 + 2.1213f, 1e-3);
    scene->DrawAll();

    // Switching off repaints the whole shadow area, then the object is small again.
    shadow->SetEnabled(false);
    std::vector<TvxRect> pending = scene->PendingRects();
    ASSERT_FALSE(pending.empty());
    EXPECT_EQ(pending.back().Right, std::ceil(grown.Right));
    EXPECT_EQ(box->UpdateRect(), (TvxRect { 20, 20, 30, 30 }));
    scene->DrawAll();
    EXPECT_EQ(At(31, 31), 0u);

    // A change of an effect value asks for the effect's area.
    shadow->SetEnabled(true);
    scene->DrawAll();
    shadow->SetDistance(10);
    pending = scene->PendingRects();
    ASSERT_FALSE(pending.empty());
    EXPECT_EQ(pending.back().Right, std::ceil(30 + 6 + 7.0711f));
}

TEST_F(EffectsTest, EffectImageIsCachedUntilSomethingChanges)
{
    auto* layout = new TvxLayout(nullptr);
    layout->SetBounds(10, 10, 20, 20);
    root->AddObject(layout);
    auto* box = new TvxRectangle(nullptr);
    box->SetBounds(0, 0, 10, 10);
    box->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    layout->AddObject(box);
    auto* shadow = Decorate<TvxShadowEffect>(layout);
    EXPECT_TRUE(layout->EffectsStale());
    scene->DrawAll();
    EXPECT_FALSE(layout->EffectsStale());
    const TvxBitmap* cached = layout->EffectBitmap(shadow);
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->Width(), 32);
    std::uint32_t shaded = At(22, 28);
    EXPECT_GT(Alpha(shaded), 0u);
    scene->DrawAll();
    EXPECT_FALSE(layout->EffectsStale());
    EXPECT_EQ(At(22, 28), shaded);

    // A child's fill, the decorated object's size and an effect value all make it stale.
    box->Fill().SetSolidColor(0xFF00FF00);
    EXPECT_TRUE(layout->EffectsStale());
    scene->DrawAll();
    layout->SetWidth(30);
    EXPECT_TRUE(layout->EffectsStale());
    scene->DrawAll();
    EXPECT_EQ(layout->EffectBitmap(shadow), cached); // the same bitmap, resized
    EXPECT_EQ(cached->Width(), 42);
    shadow->SetOpacity(1);
    EXPECT_TRUE(layout->EffectsStale());
    scene->DrawAll();
    EXPECT_GT(Alpha(At(22, 28)), Alpha(shaded));
}

TEST_F(EffectsTest, DisabledEffectsAreNeitherRenderedNorDrawnAndTwinsDrawTwice)
{
    auto* box = Box(20, 20, 10, 10);
    auto* first = Decorate<TvxShadowEffect>(box);
    first->SetEnabled(false);
    EXPECT_EQ(Paint(31, 31), 0u);
    EXPECT_EQ(box->EffectBitmap(first), nullptr);

    first->SetEnabled(true);
    std::uint32_t once = Paint(31, 31);
    Decorate<TvxShadowEffect>(box);
    std::uint32_t twice = Paint(31, 31);
    EXPECT_GT(Alpha(twice), Alpha(once));
    // Drawn from the cache, the pair looks the same.
    box->Repaint();
    scene->Draw();
    EXPECT_EQ(At(31, 31), twice);
}

TEST_F(EffectsTest, DifferentEffectsOnOneObjectRedrawFromTheirOwnImages)
{
    auto* box = Box(20, 20, 10, 10);
    auto* shadow = Decorate<TvxShadowEffect>(box);
    auto* glow = Decorate<TvxGlowEffect>(box);
    scene->DrawAll();
    EXPECT_FALSE(box->EffectsStale());
    std::vector<std::uint32_t> rendered;
    for (int x = 5; x < 45; ++x)
        rendered.push_back(At(x, 33));
    EXPECT_NE(box->EffectBitmap(shadow), box->EffectBitmap(glow));
    box->Repaint();
    EXPECT_TRUE(scene->Draw());
    EXPECT_FALSE(box->EffectsStale());
    for (int x = 5; x < 45; ++x)
        EXPECT_EQ(At(x, 33), rendered[std::size_t(x - 5)]) << x;
}

TEST_F(EffectsTest, EffectsCanGoOverOrReplaceTheObject)
{
    // A reflection moved up onto the object: under it, the opaque object hides it; over
    // it, the mirrored green lower half tints the blue upper half.
    auto* layout = new TvxLayout(nullptr);
    layout->SetBounds(10, 4, 20, 20);
    root->AddObject(layout);
    for (auto [y, color] : { std::pair { 0.0f, 0xFF0000FFu }, { 10.0f, 0xFF00FF00u } }) {
        auto* part = new TvxRectangle(nullptr);
        part->SetBounds(0, y, 20, 10);
        part->Fill().SetSolidColor(color);
        part->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
        layout->AddObject(part);
    }
    auto* reflection = Decorate<TvxReflectionEffect>(layout);
    reflection->SetOffset(-20);
    reflection->SetLength(1);
    EXPECT_EQ(Paint(20, 6), 0xFF0000FFu);
    reflection->SetAfterPaint(true);
    std::uint32_t tinted = Paint(20, 6);
    EXPECT_EQ(Alpha(tinted), 0xFFu);
    EXPECT_GT((tinted >> 8) & 0xFF, 0x20u);

    auto* box = Box(40, 20, 10, 10);
    auto* shadow = Decorate<TvxShadowEffect>(box);
    // In place of the object: a glow alone, empty where the object was.
    auto* glow = Decorate<TvxGlowEffect>(box);
    shadow->SetEnabled(false);
    glow->SetDisablePaint(true);
    EXPECT_EQ(Paint(45, 25), 0u);
    EXPECT_GT(Alpha(At(38, 25)), 0u);
    // Every repaint of such an object renders the effect again.
    scene->DrawAll();
    EXPECT_FALSE(box->EffectsStale());
    box->Repaint();
    EXPECT_TRUE(box->EffectsStale());
}

TEST_F(EffectsTest, FocusTriggerSwitchesTheGlow)
{
    auto* box = Box(20, 20, 10, 10);
    box->SetCanFocused(true);
    auto* glow = Decorate<TvxGlowEffect>(box);
    glow->SetTrigger("IsFocused=true");
    glow->SetEnabled(false);
    scene->SetFocused(box);
    EXPECT_TRUE(glow->Enabled());
    EXPECT_GT(Alpha(Paint(17, 25)), 0u);
    EXPECT_EQ(scene->Focused(), box) << "rendering the glow keeps the focus";
    scene->SetFocused(nullptr);
    EXPECT_FALSE(glow->Enabled());
    EXPECT_EQ(Paint(17, 25), 0u);
    // Another state leaves it alone; a condition on a property the object lacks is skipped.
    glow->SetEnabled(true);
    glow->ApplyTrigger(box, "IsMouseOver");
    EXPECT_TRUE(glow->Enabled());
    glow->SetTrigger("NoSuchThing=1;IsFocused=true");
    glow->ApplyTrigger(box, "IsFocused");
    EXPECT_FALSE(glow->Enabled());
}

TEST_F(EffectsTest, EffectsTravelInStreams)
{
    auto* layout = new TvxLayout(nullptr);
    layout->SetBounds(0, 0, 20, 20);
    auto* shadow = new TvxShadowEffect(layout);
    shadow->SetName("ShadowEffect1");
    shadow->SetSoftness(kJustBelow03);
    shadow->SetShadowColor(0x80102030);
    layout->AddObject(shadow);
    auto* reflection = new TvxReflectionEffect(layout);
    reflection->SetOffset(4);
    reflection->SetEnabled(false);
    layout->AddObject(reflection);
    root->AddObject(layout);

    std::vector<std::uint8_t> stored;
    layout->SaveToBinStream(stored);
    ComponentPtr<TvxLayout> copy(new TvxLayout(nullptr));
    ReadObjectStream(stored, *copy);
    ASSERT_EQ(copy->ChildrenCount(), 2);
    auto* shadowCopy = dynamic_cast<TvxShadowEffect*>(copy->Child(0));
    auto* reflectionCopy = dynamic_cast<TvxReflectionEffect*>(copy->Child(1));
    ASSERT_NE(shadowCopy, nullptr);
    ASSERT_NE(reflectionCopy, nullptr);
    EXPECT_EQ(shadowCopy->Softness(), kJustBelow03);
    EXPECT_EQ(shadowCopy->ShadowColor(), 0x80102030u);
    EXPECT_EQ(shadowCopy->Distance(), 3);
    EXPECT_EQ(reflectionCopy->Offset(), 4);
    EXPECT_FALSE(reflectionCopy->Enabled());
    // The copy's has-effect state follows what was read.
    EXPECT_TRUE(copy->Visual()->EffectRect().Right > 20);
    EXPECT_EQ(shadowCopy->Name(), "ShadowEffect1");
    std::vector<std::uint8_t> again;
    copy->SaveToBinStream(again);
    EXPECT_EQ(again, stored);
}

TEST_F(EffectsTest, NonFiniteFloatsInAStreamAreRejected)
{
    struct Case {
        const char* name;
        void (*spoil)(TvxLayout& layout, TvxShadowEffect& shadow);
    } cases[] = {
        { "NaN Softness", [](TvxLayout&, TvxShadowEffect& s) { s.SetSoftness(std::nanf("")); } },
        { "infinite Distance", [](TvxLayout&, TvxShadowEffect& s) { s.SetDistance(INFINITY); } },
        { "infinite Width", [](TvxLayout& l, TvxShadowEffect&) { l.SetWidth(-INFINITY); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TvxLayout layout(nullptr);
        auto* shadow = new TvxShadowEffect(&layout);
        layout.AddObject(shadow);
        c.spoil(layout, *shadow);
        std::vector<std::uint8_t> stored;
        layout.SaveToBinStream(stored);
        TvxLayout copy(nullptr);
        EXPECT_THROW(ReadObjectStream(stored, copy), ObjectStreamError);
    }
}

TEST_F(EffectsTest, EffectImagesOfHugeObjectsAreCapped)
{
    TvxRectangle* box = Box(0, 0, 10, 10);
    auto* shadow = Decorate<TvxShadowEffect>(box);
    box->SetWidth(1e6f);
    scene->DrawAll();
    const TvxBitmap* image = box->EffectBitmap(shadow);
    ASSERT_NE(image, nullptr);
    EXPECT_LE(image->Width(), 8192);
    EXPECT_LE(std::int64_t(image->Width()) * image->Height(), 16 * 1024 * 1024);
    EXPECT_EQ(At(5, 5), 0xFFFF0000u);
}

TEST_F(EffectsTest, AddingAChildRepaintsTheEffectsOfItsParent)
{
    auto* layout = new TvxLayout(nullptr);
    layout->SetBounds(10, 10, 20, 20);
    root->AddObject(layout);
    Decorate<TvxGlowEffect>(layout);
    scene->DrawAll();
    ASSERT_FALSE(layout->EffectsStale());
    auto* box = new TvxRectangle(nullptr);
    box->SetBounds(2, 2, 4, 4);
    layout->AddObject(box);
    // The glow around the whole layout changes, not only the box's area.
    const TvxRect glow = layout->UpdateRect();
    const auto pending = scene->PendingRects();
    EXPECT_TRUE(std::any_of(pending.begin(), pending.end(), [&](const TvxRect& r) {
        return r.Left <= glow.Left && r.Top <= glow.Top && r.Right >= glow.Right && r.Bottom >= glow.Bottom;
    }));
}

}
}
