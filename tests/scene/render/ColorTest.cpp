// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/Color.h"

#include <gtest/gtest.h>

namespace nimbrell {
namespace {

TEST(Color, TextFormsReadAndWrite)
{
    const std::pair<const char*, TvxColor> rows[] = {
        { "#FFEBA335", 0xFFEBA335 },
        { "#ffeba335", 0xFFEBA335 },
        { "#01000000", 0x01000000 },
        { "#C80DBBCE", 0xC80DBBCE },
        { "#FFF", 0x00000FFF },
        { "#FFEBA33512", 0xFFEBA335 },
        { "", 0 },
        { "Red", 0xFFFF0000 },
        { "red", 0xFFFF0000 },
        { "RED", 0xFFFF0000 },
        { "Grey", 0xFF808080 },
        { "Gray", 0xFF808080 },
        { "AliceBlue", 0xFFF0F8FF },
        { "yellowgreen", 0xFF9ACD32 },
        { "$FF00FF00", 0xFF00FF00 },
        { "123", 123 },
        { "-1", 0xFFFFFFFF },
        { "#XYZ", 0 },
        { "not a colour", 0 },
    };
    for (const auto& [text, color] : rows)
        EXPECT_EQ(ColorFromText(text), color) << text;
    EXPECT_EQ(ColorToText(0xFFEBA335), "#FFEBA335");
    EXPECT_EQ(ColorToText(0x0000ab0c), "#0000AB0C");
    EXPECT_EQ(ColorKeywordCount(), 147);
}

TEST(Color, OperationsTruncate)
{
    struct Row {
        const char* what;
        TvxColor result;
        TvxColor expected;
    };
    const Row rows[] = {
        { "opacity 1 keeps", ColorWithOpacity(0x80102030, 1.0f), 0x80102030 },
        { "opacity 0.5", ColorWithOpacity(0xFF102030, 0.5f), 0x7F102030 },
        { "opacity 0.3", ColorWithOpacity(0x64102030, 0.3f), 0x1E102030 },
        { "opacity 0", ColorWithOpacity(0xFF102030, 0.0f), 0x00102030 },
        { "premultiply transparent", PremultiplyColor(0x00FFFFFF), 0 },
        { "premultiply opaque", PremultiplyColor(0xFF123456), 0xFF123456 },
        { "premultiply half", PremultiplyColor(0x80FF4001), 0x80802000 },
        { "unpremultiply transparent", UnpremultiplyColor(0x00123456), 0 },
        { "unpremultiply opaque", UnpremultiplyColor(0xFF123456), 0xFF123456 },
        { "unpremultiply half", UnpremultiplyColor(0x80802000), 0x80FF3F00 },
        { "unpremultiply channel equal to alpha", UnpremultiplyColor(0x03030303), 0x03FFFFFF },
        { "unpremultiply invalid channel is capped", UnpremultiplyColor(0x10FF0000), 0x10FF0000 },
        { "interpolate half", InterpolateColor(0xFF505050, 0xFF707070, 0.5f), 0xFF606060 },
        { "interpolate 0.3", InterpolateColor(0xFF505050, 0xFF707070, 0.3f), 0xFF595959 },
        { "interpolate downwards", InterpolateColor(0xFF707070, 0xFF505050, 0.3f), 0xFF676767 },
        { "interpolate alpha", InterpolateColor(0x00000000, 0xFFFFFFFF, 1.0f), 0xFFFFFFFF },
        { "interpolate beyond keeps eight bits", InterpolateColor(0x000000F0, 0x000000FF, 3.0f), 0x0000001D },
        { "make", MakeColor(1, 2, 3, 4), 0x04010203 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.result, row.expected) << row.what << ": " << ColorToText(row.result);
}

TEST(Color, HueSaturationLightness)
{
    for (TvxColor color : { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF808080u, 0xFFEBA335u, 0xFF0DBBCEu, 0xFFFFFFFFu, 0xFF000000u })
        EXPECT_EQ(HslToColor(ColorToHsl(color)), color) << ColorToText(color);
    TvxHsl red = ColorToHsl(0xFFFF0000);
    EXPECT_FLOAT_EQ(red.hue, 0);
    EXPECT_FLOAT_EQ(red.saturation, 1);
    EXPECT_FLOAT_EQ(red.lightness, 0.5f);
    EXPECT_EQ(ChangeLightness(0x80FF0000, 0.5f), 0x80FFFFFF);
    EXPECT_EQ(ChangeLightness(0x40FF0000, -1.0f), 0x40000000);
}

}
}
