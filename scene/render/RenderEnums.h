// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The enumerations of paints and fonts, stored by identifier.

#include "scene/core/PropertyTable.h"

namespace nimbrell {

enum class TvxBrushStyle {
    vgBrushNone,
    vgBrushSolid,
    vgBrushGradient,
    vgBrushBitmap,
    vgBrushResource,
    vgBrushVisual
};
enum class TvxGradientStyle {
    vgLinearGradient,
    vgRadialGradient
};
enum class TvxWrapMode {
    vgWrapTile,
    vgWrapTileOriginal,
    vgWrapTileStretch
};
// A single value, not a set.
enum class TvxFontStyle {
    vgFontRegular,
    vgFontBold,
    vgFontItalic,
    vgFontBoldItalic,
    vgFontUnderline,
    vgFontStrikeout
};

}

NIMBRELL_ENUM(nimbrell::TvxBrushStyle, "vgBrushNone", "vgBrushSolid", "vgBrushGradient", "vgBrushBitmap", "vgBrushResource",
    "vgBrushVisual")
NIMBRELL_ENUM(nimbrell::TvxGradientStyle, "vgLinearGradient", "vgRadialGradient")
NIMBRELL_ENUM(nimbrell::TvxWrapMode, "vgWrapTile", "vgWrapTileOriginal", "vgWrapTileStretch")
NIMBRELL_ENUM(nimbrell::TvxFontStyle, "vgFontRegular", "vgFontBold", "vgFontItalic", "vgFontBoldItalic", "vgFontUnderline",
    "vgFontStrikeout")
