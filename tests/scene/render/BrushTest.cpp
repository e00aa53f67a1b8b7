// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxBitmapObject.h"
#include "scene/render/TvxBrushObject.h"
#include "scene/render/TvxFont.h"

#include <gtest/gtest.h>

namespace nimbrell {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string textOf(TvxObject& object)
{
    std::string text;
    object.SaveToStream(text);
    return text;
}

class BrushTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterSceneRenderClasses(); }

    // Counts the brush's change notifications.
    int Watch(TvxBrush& brush)
    {
        brush.OnChanged = [this] { ++changes; };
        changes = 0;
        return 0;
    }
    int changes { 0 };
};

TEST_F(BrushTest, StoredRulesFollowTheStyle)
{
    TvxBrushObject holder(nullptr);
    TvxBrush& brush = holder.Brush();
    EXPECT_EQ(textOf(holder), "object TvxBrushObject\nend\n");

    brush.SetColor("#FFEBA335");
    EXPECT_EQ(textOf(holder), "object TvxBrushObject\n  Brush.Color = '#FFEBA335'\nend\n");
    // A default colour is never written, nor a colour of another style.
    brush.SetColor("#FFFFFFFF");
    EXPECT_EQ(textOf(holder), "object TvxBrushObject\nend\n");

    brush.SetStyle(TvxBrushStyle::vgBrushGradient);
    brush.Gradient().StopPosition().SetPoint({ 1, 0 });
    brush.Gradient().Points()[1].SetOffset(0.5f);
    EXPECT_EQ(textOf(holder),
        "object TvxBrushObject\n"
        "  Brush.Style = vgBrushGradient\n"
        "  Brush.Gradient.Points = <\n"
        "    item\n"
        "      Color = '#FF000000'\n"
        "    end\n"
        "    item\n"
        "      Color = '#FFFFFFFF'\n"
        "      Offset = 0.5\n"
        "    end>\n"
        "  Brush.Gradient.Style = vgLinearGradient\n"
        "  Brush.Gradient.StopPosition.Point = '(1,0)'\n"
        "end\n");

    brush.Gradient().SetStyle(TvxGradientStyle::vgRadialGradient);
    brush.Gradient().RadialTransform().Scale().SetPoint({ 2, 1 });
    brush.Gradient().RadialTransform().SetRotateAngle(45);
    std::string radial = textOf(holder);
    EXPECT_NE(radial.find("Brush.Gradient.RadialTransform.Scale.Point = '(2,1)'\n"
                          "  Brush.Gradient.RadialTransform.RotateAngle = 45.0\n"),
        std::string::npos)
        << radial;
    EXPECT_EQ(radial.find("StopPosition"), std::string::npos);

    brush.SetStyle(TvxBrushStyle::vgBrushBitmap);
    std::uint32_t pixel = 0x80800000;
    brush.Bitmap().Bitmap().SetPixels(1, 1, &pixel);
    std::string bitmapText = textOf(holder);
    EXPECT_NE(bitmapText.find("  Brush.Bitmap.Bitmap.PNG = {\n    89504E47"), std::string::npos) << bitmapText;
    EXPECT_NE(bitmapText.find("  Brush.Bitmap.WrapMode = vgWrapTile\n  Brush.Style = vgBrushBitmap\nend\n"), std::string::npos)
        << bitmapText;
}

TEST_F(BrushTest, BrushesRoundTripThroughStreams)
{
    TvxBrushObject source(nullptr);
    source.SetResourceName("hover");
    source.Brush().SetStyle(TvxBrushStyle::vgBrushBitmap);
    source.Brush().Bitmap().SetWrapMode(TvxWrapMode::vgWrapTileStretch);
    std::uint32_t pixels[] = { 0x80800000, 0xFF00FF00 };
    source.Brush().Bitmap().Bitmap().SetPixels(2, 1, pixels);
    Bytes compiled;
    source.SaveToBinStream(compiled);
    TvxObject* made = CreateObjectFromStream(compiled, nullptr);
    ASSERT_NE(made, nullptr);
    auto* holder = static_cast<TvxBrushObject*>(made);
    EXPECT_EQ(holder->Brush().Style(), TvxBrushStyle::vgBrushBitmap);
    EXPECT_EQ(holder->Brush().Bitmap().WrapMode(), TvxWrapMode::vgWrapTileStretch);
    const TvxBitmap& bitmap = holder->Brush().Bitmap().Bitmap();
    ASSERT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x80800000u);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0xFF00FF00u);
    Bytes written;
    holder->SaveToBinStream(written);
    EXPECT_EQ(written, compiled) << ObjectBinaryToText(written);
    made->Free();
}

TEST_F(BrushTest, AGradientWithoutStopsStaysWithoutStops)
{
    TvxBrushObject holder(nullptr);
    holder.Brush().SetStyle(TvxBrushStyle::vgBrushGradient);
    holder.Brush().Gradient().Points().Clear();
    Bytes written;
    holder.SaveToBinStream(written);
    EXPECT_NE(ObjectBinaryToText(written).find("Brush.Gradient.Points = <>"), std::string::npos);
    TvxBrushObject back(nullptr);
    ReadObjectStream(written, back);
    EXPECT_EQ(back.Brush().Gradient().Points().Count(), 0);
}

TEST_F(BrushTest, NotifiesOnlyOnRealChange)
{
    TvxBrush brush(TvxBrushStyle::vgBrushSolid, 0xFFFFFFFF);
    Watch(brush);
    brush.SetColor("#FFFFFFFF");
    brush.SetStyle(TvxBrushStyle::vgBrushSolid);
    brush.Gradient().Points()[0].SetColor("#FF000000");
    brush.Gradient().StartPosition().SetPoint({ 0, 0 });
    EXPECT_EQ(changes, 0);

    brush.SetColor("white");
    EXPECT_EQ(changes, 0);
    brush.SetColor("red");
    EXPECT_EQ(changes, 1);
    brush.Gradient().Points()[1].SetOffset(0.25f);
    EXPECT_EQ(changes, 2);
    brush.Gradient().StartPosition().SetX(0.5f);
    EXPECT_EQ(changes, 3);
    brush.Gradient().RadialTransform().RotateCenter().SetY(0.1f);
    EXPECT_EQ(changes, 4);
    brush.Bitmap().SetWrapMode(TvxWrapMode::vgWrapTileOriginal);
    EXPECT_EQ(changes, 5);
    brush.Resource().SetResourceName("name");
    EXPECT_EQ(changes, 6);
}

TEST_F(BrushTest, ColorOfAGradientBrushRecoloursOnlyItsFirstStop)
{
    TvxBrush brush(TvxBrushStyle::vgBrushGradient, 0xFF000000);
    Watch(brush);
    brush.SetColor("#FF112233");
    EXPECT_EQ(brush.SolidColor(), 0xFF112233u);
    EXPECT_EQ(brush.Gradient().Points()[0].IntColor(), 0xFF112233u);
    EXPECT_EQ(brush.Gradient().Points()[1].IntColor(), 0xFFFFFFFFu);
    EXPECT_EQ(changes, 2);
    brush.Gradient().SetColor1("#FF445566");
    EXPECT_EQ(brush.Gradient().Points()[1].Color(), "#FF445566");

    TvxBrush solid(TvxBrushStyle::vgBrushSolid, 0);
    solid.SetColor("#FF112233");
    EXPECT_EQ(solid.Gradient().Points()[0].IntColor(), 0xFF000000u);
}

TEST_F(BrushTest, GradientColourAtAnOffset)
{
    TvxGradient gradient;
    gradient.Points()[0].SetIntColor(0xFF000000);
    gradient.Points()[0].SetOffset(0.2f);
    gradient.Points()[1].SetIntColor(0xFFFFFFFF);
    gradient.Points()[1].SetOffset(0.6f);
    TvxGradientPoint& third = gradient.Points().AddItem();
    third.SetIntColor(0xFF0000FF);
    third.SetOffset(0.6f);
    const std::pair<float, TvxColor> rows[] = {
        { -1.0f, 0xFF000000 },
        { 0.1f, 0xFF000000 },
        { 0.2f, 0xFF000000 },
        { 0.4f, 0xFF7F7F7F },
        // Equal offsets: the colour of the first of the pair.
        { 0.6f, 0xFFFFFFFF },
        { 0.9f, 0xFF0000FF },
        { 2.0f, 0xFF0000FF },
    };
    for (const auto& [offset, color] : rows)
        EXPECT_EQ(gradient.InterpolateColor(offset), color) << offset << " " << ColorToText(gradient.InterpolateColor(offset));
    gradient.Points().Delete(2);
    gradient.Points().Delete(1);
    EXPECT_EQ(gradient.InterpolateColor(0.5f), 0u);
}

TEST_F(BrushTest, ResourceBrushesFindTheirObjectByNameAndForgetItWhenFreed)
{
    TvxBrush brush(TvxBrushStyle::vgBrushResource, 0xFF010101);
    brush.Resource().SetResourceName("Accent");
    EXPECT_EQ(brush.SolidColor(), 0xFF010101u);

    auto* first = new TvxBrushObject(nullptr);
    first->SetResourceName("accent");
    first->Brush().SetSolidColor(0xFF00FF00);
    EXPECT_EQ(brush.SolidColor(), 0xFF00FF00u);
    EXPECT_EQ(brush.Resource().Resource(), first);

    auto* second = new TvxBrushObject(nullptr);
    second->SetResourceName("ACCENT");
    second->Brush().SetSolidColor(0xFF0000FF);
    // The held reference wins until its object is gone; then the name is looked up again.
    EXPECT_EQ(brush.SolidColor(), 0xFF00FF00u);
    first->Free();
    EXPECT_EQ(brush.Resource().Resource(), nullptr);
    EXPECT_EQ(brush.Resource().ResourceName(), "Accent");
    EXPECT_EQ(brush.SolidColor(), 0xFF0000FFu);

    // Assigning flattens the resource to its resolved colour.
    TvxBrush copy(TvxBrushStyle::vgBrushNone, 0);
    Watch(copy);
    copy.Assign(brush);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Style(), TvxBrushStyle::vgBrushResource);
    EXPECT_EQ(copy.DefaultColor(), 0xFF010101u);
    EXPECT_EQ(copy.Resource().Resource(), second);
    second->Brush().SetSolidColor(0xFF123456);
    EXPECT_EQ(copy.SolidColor(), 0xFF123456u);
    second->Free();
    EXPECT_EQ(copy.SolidColor(), 0xFF0000FFu);

    // Two resource brushes naming each other end at a colour instead of recursing.
    auto* ring = new TvxBrushObject(nullptr);
    ring->SetResourceName("ring");
    ring->Brush().SetStyle(TvxBrushStyle::vgBrushResource);
    ring->Brush().Resource().SetResourceName("ring");
    ring->Brush().SetSolidColor(0xFF222222);
    EXPECT_EQ(ring->Brush().SolidColor(), 0xFF222222u);
    ring->Free();
}

TEST_F(BrushTest, VisualAndBitmapReferencesEmptyWhenTheirObjectIsFreed)
{
    TvxBrush brush(TvxBrushStyle::vgBrushVisual, 0);
    auto* shown = new TvxBrushObject(nullptr);
    brush.Visual().SetVisualObject(shown);
    auto* picture = new TvxBitmapObject(nullptr);
    picture->SetResourceName("picture");
    brush.Bitmap().Bitmap().SetResource(picture);
    EXPECT_EQ(brush.Bitmap().Bitmap().ResourceName(), "picture");

    shown->Free();
    picture->Free();
    EXPECT_EQ(brush.Visual().VisualObject(), nullptr);
    EXPECT_EQ(brush.Bitmap().Bitmap().Resource(), nullptr);

    // A holder freed first unregisters, so the object's later destruction is harmless.
    auto* lasting = new TvxBrushObject(nullptr);
    {
        TvxBrush shortLived(TvxBrushStyle::vgBrushVisual, 0);
        shortLived.Visual().SetVisualObject(lasting);
    }
    lasting->Free();
}

TEST_F(BrushTest, AssignCopiesOnlyTheSubRecordTheStyleUses)
{
    TvxBrush source(TvxBrushStyle::vgBrushSolid, 0xFF000000);
    source.SetStyle(TvxBrushStyle::vgBrushGradient);
    source.Gradient().Points()[0].SetColor("#FFFF0000");
    source.Gradient().StartPosition().SetPoint({ 0.5f, 0.5f });
    source.Gradient().RadialTransform().SetRotateAngle(30);
    source.Bitmap().SetWrapMode(TvxWrapMode::vgWrapTileStretch);

    TvxBrush target(TvxBrushStyle::vgBrushNone, 0);
    Watch(target);
    target.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.Style(), TvxBrushStyle::vgBrushGradient);
    EXPECT_EQ(target.DefaultStyle(), TvxBrushStyle::vgBrushSolid);
    EXPECT_EQ(target.Gradient().Points()[0].IntColor(), 0xFFFF0000u);
    EXPECT_EQ(target.Gradient().StartPosition().Point(), (TvxPoint { 0.5f, 0.5f }));
    EXPECT_EQ(target.Gradient().RadialTransform().RotateAngle(), 0.0f);
    EXPECT_EQ(target.Bitmap().WrapMode(), TvxWrapMode::vgWrapTile);
}

TEST_F(BrushTest, FontDefaultsStoredRulesAndNotifications)
{
    TvxFont font;
    EXPECT_EQ(font.Size(), 11.0f);
    EXPECT_EQ(font.Family(), "Tahoma");
    EXPECT_EQ(font.Style(), TvxFontStyle::vgFontRegular);
    EXPECT_TRUE(font.ClearType());
    int changes = 0;
    font.OnChanged = [&] { ++changes; };
    font.SetSize(11);
    font.SetFamily("Tahoma");
    EXPECT_EQ(changes, 0);

    const ClassInfo& info = font.Class();
    for (const char* name : { "Size", "Family" })
        EXPECT_FALSE(info.FindProperty(name)->IsStored(font)) << name;
    font.SetSize(14);
    font.SetFamily("Noto Sans CJK SC");
    EXPECT_TRUE(info.FindProperty("Size")->IsStored(font));
    EXPECT_TRUE(info.FindProperty("Family")->IsStored(font));
    EXPECT_EQ(info.FindProperty("Style")->Default(), 0);
    EXPECT_EQ(info.FindProperty("ClearType")->Default(), 1);
    EXPECT_EQ(changes, 2);

    TvxFont copy;
    int copyChanges = 0;
    copy.OnChanged = [&] { ++copyChanges; };
    copy.Assign(font);
    EXPECT_EQ(copyChanges, 1);
    EXPECT_EQ(copy.Family(), "Noto Sans CJK SC");
    copy.Assign(font);
    EXPECT_EQ(copyChanges, 1);
}

}
}
