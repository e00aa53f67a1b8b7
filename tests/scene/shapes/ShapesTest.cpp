// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"
#include "scene/shapes/FitRect.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "scene/shapes/TvxEllipse.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxLine.h"
#include "scene/shapes/TvxPath.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"

#include <gtest/gtest.h>

namespace nimbrell {
namespace {

class ShapesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterSceneShapeClasses();
        root = new TvxLayout(nullptr);
        scene = std::make_unique<TvxCustomScene>(40, 40);
        scene->SetTransparency(true);
        scene->AddObject(root);
    }
    void TearDown() override
    {
        root->Free();
        scene.reset();
    }

    template<typename T>
    T* Add(float x, float y, float w, float h, TvxVisualObject* parent = nullptr)
    {
        auto* object = new T(nullptr);
        object->SetBounds(x, y, w, h);
        (parent ? parent : root)->AddObject(object);
        return object;
    }

    std::uint32_t Paint(int x, int y)
    {
        scene->DrawAll();
        return scene->Buffer().Pixel(x, y);
    }
    std::uint32_t At(int x, int y) { return scene->Buffer().Pixel(x, y); }

    static std::string TextOf(TvxObject& object)
    {
        std::string text;
        object.SaveToStream(text);
        return text;
    }

    std::unique_ptr<TvxCustomScene> scene;
    TvxLayout* root { nullptr };
};

TEST_F(ShapesTest, RectangleFillsItsShapeRectAndOutlinesInside)
{
    auto* r = Add<TvxRectangle>(2, 2, 10, 10);
    r->Fill().SetSolidColor(0xFFFF0000);
    r->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    EXPECT_EQ(Paint(2, 2), 0xFFFF0000u);
    EXPECT_EQ(At(11, 11), 0xFFFF0000u);
    EXPECT_EQ(At(12, 12), 0u);

    r->Stroke().SetStyle(TvxBrushStyle::vgBrushSolid);
    r->Stroke().SetSolidColor(0xFF0000FF);
    r->SetStrokeThickness(2);
    EXPECT_EQ(r->ShapeRect(), (TvxRect { 1, 1, 9, 9 }));
    EXPECT_EQ(Paint(2, 2), 0xFF0000FFu); // outline from 0 to 2
    EXPECT_EQ(At(3, 3), 0xFF0000FFu);
    EXPECT_EQ(At(4, 4), 0xFFFF0000u);
    EXPECT_EQ(At(12, 12), 0u);
}

TEST_F(ShapesTest, TopCornersRoundedBottomSquare)
{
    auto* r = Add<TvxRectangle>(0, 0, 30, 20);
    r->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    r->Fill().SetSolidColor(0xFF000000);
    r->SetxRadius(5);
    r->SetyRadius(5);
    r->SetCorners({ TvxCorner::vgCornerTopLeft, TvxCorner::vgCornerTopRight });
    Paint(0, 0);
    EXPECT_EQ(At(0, 0) >> 24, 0u);
    EXPECT_EQ(At(29, 0) >> 24, 0u);
    EXPECT_EQ(At(0, 19), 0xFF000000u);
    EXPECT_EQ(At(29, 19), 0xFF000000u);
    EXPECT_EQ(At(15, 10), 0xFF000000u);
}

TEST_F(ShapesTest, SidesDrawOnlyTheirEdgesAndFillReachesTheOpenEdges)
{
    auto* r = Add<TvxRectangle>(0, 0, 20, 20);
    r->Fill().SetSolidColor(0xFF00FF00);
    r->Stroke().SetSolidColor(0xFF0000FF);
    r->SetStrokeThickness(2);
    r->SetSides({ TvxSide::vgSideTop });
    Paint(0, 0);
    EXPECT_EQ(At(10, 0), 0xFF0000FFu); // the top side is drawn
    EXPECT_EQ(At(0, 10), 0xFF00FF00u); // the left is not: the fill reaches the edge
    EXPECT_EQ(At(10, 19), 0xFF00FF00u);
}

TEST_F(ShapesTest, SetsAreStoredOnlyWhenNotFullAndRoundTrip)
{
    auto* r = new TvxRectangle(nullptr);
    std::string full = TextOf(*r);
    EXPECT_EQ(full.find("Sides"), std::string::npos);
    EXPECT_EQ(full.find("Corners"), std::string::npos);
    EXPECT_EQ(full.find("StrokeThickness"), std::string::npos);

    r->SetSides({});
    r->SetCorners({ TvxCorner::vgCornerBottomRight });
    r->SetStrokeThickness(3);
    std::string text = TextOf(*r);
    EXPECT_NE(text.find("Sides = []"), std::string::npos) << text;
    EXPECT_NE(text.find("Corners = [vgCornerBottomRight]"), std::string::npos) << text;
    auto binary = ObjectTextToBinary(text);
    ComponentPtr<TvxObject> copy(CreateObjectFromStream(binary, nullptr));
    auto* back = dynamic_cast<TvxRectangle*>(copy.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Sides(), TvxSides());
    EXPECT_EQ(back->Corners(), (TvxCorners { TvxCorner::vgCornerBottomRight }));
    EXPECT_EQ(back->StrokeThickness(), 3);
    EXPECT_EQ(TextOf(*back), text);

    // The full set written explicitly behaves like the default.
    auto explicitFull = ObjectTextToBinary("object TvxRectangle\n  Sides = [vgSideTop, vgSideLeft, vgSideBottom, vgSideRight]\nend\n");
    ComponentPtr<TvxObject> same(CreateObjectFromStream(explicitFull, nullptr));
    EXPECT_EQ(static_cast<TvxRectangle*>(same.get())->Sides(), kAllSides);
    EXPECT_EQ(TextOf(*same), full);
    r->Free();
}

TEST_F(ShapesTest, DefaultsAreNotStored)
{
    struct Case {
        const char* name;
        TvxObject* object;
        const char* expected;
    } cases[] = {
        { "text", new TvxText(nullptr), "object TvxText\nend\n" },
        { "layout", new TvxLayout(nullptr), "object TvxLayout\nend\n" },
        { "image", new TvxImage(nullptr), "object TvxImage\n  WrapMode = vgImageFit\nend\n" },
        { "ellipse", new TvxEllipse(nullptr), "object TvxEllipse\nend\n" },
    };
    for (const Case& c : cases) {
        std::string text = TextOf(*c.object);
        // Width and Height 50 are written as floats are whenever non-zero.
        std::string stripped;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            std::string line = text.substr(at, end - at + 1);
            if (line.find("Width = ") == std::string::npos && line.find("Height = ") == std::string::npos)
                stripped += line;
            at = end + 1;
        }
        EXPECT_EQ(stripped, c.expected) << c.name;
        c.object->Free();
    }
    TvxText text(nullptr);
    EXPECT_EQ(text.Font().Family(), "Tahoma");
    EXPECT_EQ(text.Fill().SolidColor(), 0xFF000000u);
    EXPECT_EQ(text.Stroke().Style(), TvxBrushStyle::vgBrushNone);
    TvxLayout layout(nullptr);
    EXPECT_FALSE(layout.HitTest());
}

TEST_F(ShapesTest, RoundRectIsACapsule)
{
    auto* r = Add<TvxRoundRect>(0, 0, 40, 20);
    r->Fill().SetSolidColor(0xFF000000);
    r->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    Paint(0, 0);
    // Radius 10: the capsule's ends are half circles.
    EXPECT_EQ(At(0, 0) >> 24, 0u);
    EXPECT_EQ(At(1, 10), 0xFF000000u);
    EXPECT_EQ(At(1, 1) >> 24, 0u);
    EXPECT_EQ(At(20, 0), 0xFF000000u);
}

TEST_F(ShapesTest, HorizontalLineRunsHalfAPixelIn)
{
    auto* line = Add<TvxLine>(0, 5, 20, 10);
    line->SetLineType(TvxLineType::vgLineHorizontal);
    line->Stroke().SetSolidColor(0xFFFFFFFF);
    EXPECT_EQ(Paint(10, 5), 0xFFFFFFFFu);
    EXPECT_EQ(At(10, 6), 0u);
    EXPECT_NEAR(int(At(0, 5) >> 24), 128, 2);
    EXPECT_EQ(At(20, 5), 0u);
}

TEST_F(ShapesTest, EllipseAndPathHitTests)
{
    auto* e = Add<TvxEllipse>(0, 0, 20, 20);
    EXPECT_TRUE(e->PointInObject(10, 10));
    EXPECT_FALSE(e->PointInObject(1, 1));
    e->SetWidth(0);
    EXPECT_FALSE(e->PointInObject(0, 10));

    auto* arrow = Add<TvxScrollArrowRight>(0, 0, 20, 20);
    arrow->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    EXPECT_TRUE(arrow->PointInObject(3, 10));
    EXPECT_FALSE(arrow->PointInObject(18, 2));
    EXPECT_EQ(arrow->Data().Bounds(), (TvxRect { 0, 0, 100, 100 }));
    TvxScrollArrowLeft left(nullptr);
    ASSERT_EQ(left.Data().Count(), 5);
    EXPECT_EQ(left.Data().Points()[2].Point, (TvxPoint { 0, 50 }));
}

TEST_F(ShapesTest, EmptyPathDrawsNothingAndPathDataRoundTrips)
{
    auto* path = Add<TvxPath>(0, 0, 20, 20);
    EXPECT_EQ(Paint(10, 10), 0u);
    path->Data().SetPathString("M 0,0 L 10,0 L 10,10 Z");
    path->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    path->Fill().SetSolidColor(0xFFFFFFFF);
    EXPECT_EQ(Paint(18, 3), 0xFFFFFFFFu);
    EXPECT_EQ(At(3, 18), 0u);
    std::string text = TextOf(*path);
    ComponentPtr<TvxObject> copy(CreateObjectFromStream(ObjectTextToBinary(text), nullptr));
    EXPECT_EQ(static_cast<TvxPath*>(copy.get())->Data().Count(), 4);
    EXPECT_EQ(TextOf(*copy), text);

    // 9-byte records are read as well.
    std::vector<std::uint8_t> legacy { 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 1, 0, 0, 0x80, 0x3F, 0, 0, 0, 0 };
    TvxPathData data;
    ASSERT_TRUE(data.FromBytes(legacy));
    ASSERT_EQ(data.Count(), 2);
    EXPECT_EQ(data.Points()[0].Point, (TvxPoint { 0, 1 }));
    EXPECT_EQ(data.Points()[1].Kind, TvxPathPointKind::vgPathPointLineTo);
    EXPECT_FALSE(data.FromBytes(std::vector<std::uint8_t> { 5, 0, 0, 0, 1 }));
}

TEST_F(ShapesTest, DisabledObjectsPaintDimmed)
{
    auto* group = Add<TvxLayout>(0, 0, 40, 40);
    auto* item = Add<TvxRectangle>(0, 0, 10, 10, group);
    auto* inner = Add<TvxRectangle>(20, 20, 10, 10, item);
    for (auto* r : { item, inner }) {
        r->Fill().SetSolidColor(0xFFFFFFFF);
        r->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
        r->SetEnabled(false);
    }
    EXPECT_EQ(Paint(5, 5) >> 24, 204u); // 0.8
    EXPECT_EQ(At(25, 25) >> 24, 163u);  // 0.64
}

TEST_F(ShapesTest, TextAutoSizeAndRepaints)
{
    auto* text = Add<TvxText>(0, 0, 10, 30);
    text->SetWordWrap(false);
    text->SetText("Beijing");
    text->SetAutoSize(true);
    EXPECT_GT(text->Width(), 30);
    EXPECT_EQ(text->Height(), 30); // centred vertically: the height stays
    float width = text->Width();
    text->SetText("Beijing Beijing");
    EXPECT_GT(text->Width(), width);

    scene->Draw();
    text->SetText("Beijing Beijing");
    EXPECT_TRUE(scene->PendingRects().empty());
    text->SetText("x");
    EXPECT_FALSE(scene->PendingRects().empty());

    text->SetVertTextAlign(TvxTextAlign::vgTextAlignNear);
    text->SetAutoSize(false);
    text->SetAutoSize(true);
    EXPECT_LT(text->Height(), 30);
}

TEST_F(ShapesTest, TextDrawsChineseGlyphs)
{
    scene->SetSize(60, 30);
    auto* text = Add<TvxText>(0, 0, 60, 30);
    text->SetText("晴转多云");
    text->Font().SetSize(14);
    scene->DrawAll();
    int ink = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            ink += (At(x, y) >> 24) > 128;
    EXPECT_GT(ink, 40);
}

TEST_F(ShapesTest, ClippingFollowsClipChildrenCanClippedAndClipParent)
{
    auto* parent = Add<TvxRectangle>(0, 0, 20, 20);
    parent->Fill().SetSolidColor(0xFF0000FF);
    parent->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    parent->SetClipChildren(true);
    auto* child = Add<TvxRectangle>(10, 10, 20, 20, parent);
    child->Fill().SetSolidColor(0xFFFF0000);
    child->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    EXPECT_EQ(Paint(15, 15), 0xFFFF0000u);
    EXPECT_EQ(At(25, 25), 0u);
    EXPECT_EQ(At(5, 5), 0xFF0000FFu);

    child->SetCanClipped(false);
    EXPECT_EQ(Paint(25, 25), 0xFFFF0000u);

    // A child with ClipParent cuts its rectangle out of its parent's own painting.
    parent->SetClipChildren(false);
    child->SetBounds(2, 2, 6, 6);
    child->Fill().SetStyle(TvxBrushStyle::vgBrushNone);
    child->SetClipParent(true);
    EXPECT_EQ(Paint(4, 4), 0u);
    EXPECT_EQ(At(10, 10), 0xFF0000FFu);
}

TEST_F(ShapesTest, ChangesRepaintOnlyTheirArea)
{
    auto* a = Add<TvxRectangle>(0, 0, 10, 10);
    auto* b = Add<TvxRectangle>(20, 20, 10, 10);
    scene->DrawAll();
    b->Fill().SetSolidColor(0xFF00FF00);
    ASSERT_FALSE(scene->PendingRects().empty());
    for (const TvxRect& r : scene->PendingRects())
        EXPECT_EQ(r, (TvxRect { 20, 20, 31, 31 }));
    // Painting only there leaves what lies outside untouched.
    scene->Buffer().ClearRect({ 0, 0, 10, 10 }, 0xFF123456);
    scene->Draw();
    EXPECT_EQ(At(5, 5), 0xFF123456u);
    EXPECT_EQ(At(25, 25), 0xFF00FF00u);
    (void)a;
}

TEST_F(ShapesTest, VisualBrushPaintsAnotherObject)
{
    auto* source = Add<TvxRectangle>(0, 0, 4, 4);
    source->Fill().SetSolidColor(0xFFFF8000);
    source->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    source->SetVisible(false);
    auto* target = Add<TvxRectangle>(10, 10, 20, 20);
    target->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    target->Fill().SetStyle(TvxBrushStyle::vgBrushVisual);
    target->Fill().Visual().SetVisualObject(source);
    EXPECT_EQ(Paint(20, 20), 0xFFFF8000u);
    EXPECT_EQ(At(5, 5), 0u);
    // The source keeps its place, size and parent.
    EXPECT_EQ(source->Position().Point(), (TvxPoint { 0, 0 }));
    EXPECT_EQ(source->Width(), 4);
    EXPECT_EQ(source->Parent(), root);
}

TEST_F(ShapesTest, LayoutsOfOtherKinds)
{
    root->BeginUpdate();
    auto* top = Add<TvxLayout>(0, 0, 10, 5);
    top->SetAlign(TvxAlign::vaMostTop);
    auto* band = Add<TvxLayout>(3, 12, 10, 6);
    band->SetAlign(TvxAlign::vaHorizontal);
    auto* column = Add<TvxLayout>(30, 12, 4, 6);
    column->SetAlign(TvxAlign::vaVertical);
    auto* scaled = Add<TvxLayout>(10, 10, 10, 10);
    scaled->SetAlign(TvxAlign::vaScale);
    root->EndUpdate();
    EXPECT_EQ(top->Position().Point(), (TvxPoint { 0, 0 }));
    EXPECT_EQ(top->Width(), 40);
    // Horizontal keeps its own vertical place and height and spans the rest's width.
    EXPECT_EQ(band->Position().Point(), (TvxPoint { 0, 12 }));
    EXPECT_EQ(band->Width(), 40);
    EXPECT_EQ(band->Height(), 6);
    EXPECT_EQ(column->Position().Point(), (TvxPoint { 30, 5 }));
    EXPECT_EQ(column->Height(), 35);
    // Scaled by the parent's size against its size at the previous layout: a new root
    // starts from 50 × 50 and was made 40 × 40.
    EXPECT_EQ(scaled->Position().Point(), (TvxPoint { 8, 8 }));
    EXPECT_EQ(scaled->Width(), 8);
    scene->SetSize(80, 20);
    EXPECT_EQ(scaled->Position().Point(), (TvxPoint { 16, 4 }));
    EXPECT_EQ(scaled->Width(), 16);
    EXPECT_EQ(scaled->Height(), 4);
}

// A rectangle with a pretend effect that paints a square of its own.
class DecoratedRectangle : public TvxRectangle {
public:
    using TvxRectangle::TvxRectangle;
    bool after { false };
    bool replaces { false };
    std::vector<std::string> log;

    void Paint() override
    {
        log.push_back("paint");
        TvxRectangle::Paint();
    }

protected:
    bool HasEffects() const override { return true; }
    bool EffectsDrawAfter() const override { return after; }
    bool EffectReplacesObject() const override { return replaces; }
    void ApplyEffects(TvxCanvas& canvas) override
    {
        log.push_back("effect");
        int state = canvas.SaveCanvas();
        canvas.Fill().SetSolidColor(0xFF00FF00);
        canvas.FillRect({ 0, 0, 4, 4 }, 0, 0, kAllCorners, 1);
        canvas.RestoreCanvas(state);
    }
};

TEST_F(ShapesTest, EffectsGoUnderOverOrInPlaceOfTheObject)
{
    auto* r = new DecoratedRectangle(nullptr);
    r->SetBounds(0, 0, 10, 10);
    r->Fill().SetSolidColor(0xFFFF0000);
    r->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    root->AddObject(r);
    EXPECT_EQ(Paint(1, 1), 0xFFFF0000u);
    EXPECT_EQ(r->log, (std::vector<std::string> { "effect", "paint" }));
    r->after = true;
    r->log.clear();
    EXPECT_EQ(Paint(1, 1), 0xFF00FF00u);
    EXPECT_EQ(r->log, (std::vector<std::string> { "paint", "effect" }));
    r->replaces = true;
    r->log.clear();
    EXPECT_EQ(Paint(6, 6), 0u);
    EXPECT_EQ(r->log, (std::vector<std::string> { "effect" }));
}

TEST_F(ShapesTest, EffectsOverTheObjectAreNotCutByTheParentsClip)
{
    auto* parent = Add<TvxLayout>(0, 0, 20, 20);
    parent->SetClipChildren(true);
    auto* r = new DecoratedRectangle(nullptr);
    r->SetBounds(18, 18, 10, 10);
    r->Fill().SetSolidColor(0xFFFF0000);
    r->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    r->after = true;
    parent->AddObject(r);
    EXPECT_EQ(Paint(19, 19), 0xFF00FF00u);
    EXPECT_EQ(At(21, 21), 0xFF00FF00u) << "the effect reaches past the parent";
    EXPECT_EQ(At(24, 24), 0u) << "the object itself stays clipped";
}

TEST_F(ShapesTest, ContainerOfNoSizePaintsItsChildren)
{
    auto* container = Add<TvxLayout>(5, 5, 0, 0);
    auto* box = Add<TvxRectangle>(10, 10, 10, 10, container);
    box->Fill().SetSolidColor(0xFFFF0000);
    box->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    EXPECT_EQ(Paint(20, 20), 0xFFFF0000u);
    EXPECT_EQ(At(14, 14), 0u);
}

class ImageTest : public ShapesTest {
protected:
    // A picture whose pixel (x, y) encodes its coordinates.
    static void Picture(TvxBitmap& b, int w, int h)
    {
        b.SetSize(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                b.Bits()[y * w + x] = 0xFF000000u | std::uint32_t(x) << 8 | std::uint32_t(y);
        b.MarkDirty();
    }

    // The rectangle of pixels painted.
    TvxRect Painted()
    {
        scene->DrawAll();
        TvxRect r { 1e9, 1e9, -1e9, -1e9 };
        for (int y = 0; y < scene->Height(); ++y) {
            for (int x = 0; x < scene->Width(); ++x) {
                if (At(x, y) == 0)
                    continue;
                r.Left = std::min(r.Left, float(x));
                r.Top = std::min(r.Top, float(y));
                r.Right = std::max(r.Right, float(x + 1));
                r.Bottom = std::max(r.Bottom, float(y + 1));
            }
        }
        return r;
    }
};

TEST_F(ImageTest, FitScalesDownAndCentresWithoutEnlarging)
{
    scene->SetSize(120, 120);
    auto* image = Add<TvxImage>(0, 0, 80, 56);
    TvxBitmap big(175, 120);
    big.Clear(0xFF102030);
    image->SetBitmap(&big);
    EXPECT_EQ(Painted(), (TvxRect { 0, 0, 80, 55 }));

    TvxBitmap small;
    Picture(small, 16, 16);
    image->SetBitmap(&small);
    image->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(Painted(), (TvxRect { 42, 42, 58, 58 }));
    EXPECT_EQ(At(42, 42), 0xFF000000u);
    EXPECT_EQ(At(57, 57), 0xFF000F0Fu);

    // Fit bounds of zero width leave the picture at (0, 0) in its own size.
    EXPECT_EQ(FitRect({ 0, 0, 16, 16 }, { 0, 0, 0, 100 }), (TvxRect { 0, 0, 16, 16 }));
    EXPECT_EQ(FitRect({ 0, 0, 175, 120 }, { 0, 0, 80, 56 }), (TvxRect { 0, 0, 80, 55 }));
    EXPECT_THROW(image->SetBitmap(nullptr), std::invalid_argument);
    EXPECT_EQ(image->Bitmap().Width(), 16);
}

TEST_F(ImageTest, NinePieceKeepsItsBorders)
{
    scene->SetSize(100, 80);
    auto* image = Add<TvxImage>(0, 0, 100, 80);
    TvxBitmap frame;
    Picture(frame, 60, 60);
    image->SetBitmap(&frame);
    image->BitmapMargins().SetRect({ 22, 22, 25, 25 });
    scene->DrawAll();
    EXPECT_EQ(At(0, 0), 0xFF000000u);
    EXPECT_EQ(At(21, 21), 0xFF001515u); // corners keep their pixels
    EXPECT_EQ(At(99, 79), 0xFF003B3Bu); // bottom-right corner: source (59, 59)
    EXPECT_EQ(At(75, 55), 0xFF002323u); // first pixel of the 25-pixel corner: (35, 35)
    EXPECT_EQ(At(10, 79), 0xFF000A3Bu);

    TvxBitmap empty;
    image->SetBitmap(&empty);
    EXPECT_EQ(Painted().Width(), -2e9f);
}

TEST_F(ImageTest, OriginalClipsAndTileRepeats)
{
    scene->SetSize(30, 30);
    auto* image = Add<TvxImage>(0, 0, 25, 12);
    TvxBitmap tile;
    Picture(tile, 10, 10);
    image->SetBitmap(&tile);
    image->SetWrapMode(TvxImageWrap::vgImageOriginal);
    EXPECT_EQ(Painted(), (TvxRect { 0, 0, 10, 10 }));
    image->SetWrapMode(TvxImageWrap::vgImageTile);
    EXPECT_EQ(Painted(), (TvxRect { 0, 0, 25, 12 }));
    EXPECT_EQ(At(13, 11), 0xFF000301u);
}

}
}
