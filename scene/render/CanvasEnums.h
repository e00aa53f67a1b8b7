// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The enumerations of the canvas and the shapes, stored by identifier.

#include "scene/core/PropertyTable.h"

namespace nimbrell {

enum class TvxStrokeCap {
    vgCapFlat,
    vgCapRound
};
enum class TvxStrokeJoin {
    vgJoinMiter,
    vgJoinRound,
    vgJoinBevel
};
enum class TvxStrokeDash {
    vgDashSolid,
    vgDashDash,
    vgDashDot,
    vgDashDashDot,
    vgDashDashDotDot,
    vgDashCustom
};
enum class TvxCorner {
    vgCornerTopLeft,
    vgCornerTopRight,
    vgCornerBottomLeft,
    vgCornerBottomRight
};
using TvxCorners = EnumSet<TvxCorner>;
enum class TvxCornerType {
    vgCornerRound,
    vgCornerBevel,
    vgCornerInnerRound,
    vgCornerInnerLine
};
enum class TvxSide {
    vgSideTop,
    vgSideLeft,
    vgSideBottom,
    vgSideRight
};
using TvxSides = EnumSet<TvxSide>;
enum class TvxTextAlign {
    vgTextAlignCenter,
    vgTextAlignNear,
    vgTextAlignFar
};
enum class TvxPathPointKind {
    vgPathPointMoveTo,
    vgPathPointLineTo,
    vgPathPointCurveTo,
    vgPathPointClose
};

inline constexpr TvxCorners kAllCorners { TvxCorner::vgCornerTopLeft, TvxCorner::vgCornerTopRight,
    TvxCorner::vgCornerBottomLeft, TvxCorner::vgCornerBottomRight };
inline constexpr TvxSides kAllSides { TvxSide::vgSideTop, TvxSide::vgSideLeft, TvxSide::vgSideBottom, TvxSide::vgSideRight };

}

NIMBRELL_ENUM(nimbrell::TvxStrokeCap, "vgCapFlat", "vgCapRound")
NIMBRELL_ENUM(nimbrell::TvxStrokeJoin, "vgJoinMiter", "vgJoinRound", "vgJoinBevel")
NIMBRELL_ENUM(nimbrell::TvxStrokeDash, "vgDashSolid", "vgDashDash", "vgDashDot", "vgDashDashDot", "vgDashDashDotDot",
    "vgDashCustom")
NIMBRELL_ENUM(nimbrell::TvxCorner, "vgCornerTopLeft", "vgCornerTopRight", "vgCornerBottomLeft", "vgCornerBottomRight")
NIMBRELL_ENUM(nimbrell::TvxCornerType, "vgCornerRound", "vgCornerBevel", "vgCornerInnerRound", "vgCornerInnerLine")
NIMBRELL_ENUM(nimbrell::TvxSide, "vgSideTop", "vgSideLeft", "vgSideBottom", "vgSideRight")
NIMBRELL_ENUM(nimbrell::TvxTextAlign, "vgTextAlignCenter", "vgTextAlignNear", "vgTextAlignFar")
NIMBRELL_ENUM(nimbrell::TvxPathPointKind, "vgPathPointMoveTo", "vgPathPointLineTo", "vgPathPointCurveTo", "vgPathPointClose")
