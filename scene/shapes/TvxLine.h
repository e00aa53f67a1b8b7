// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One stroked line across the shape rectangle: along its top, down its left side, or
// its diagonal. No fill is drawn.

#include "scene/shapes/TvxShape.h"

namespace nimbrell {

enum class TvxLineType {
    vgLineNormal,
    vgLineHorizontal,
    vgLineVertical
};

class TvxLine : public TvxShape {
    NIMBRELL_CLASS(TvxLine)
public:
    explicit TvxLine(TvxComponent* owner);

    TvxLineType LineType() const { return m_lineType; }
    void SetLineType(TvxLineType value);

protected:
    void Paint() override;

private:
    TvxLineType m_lineType { TvxLineType::vgLineNormal };
};

}

NIMBRELL_ENUM(nimbrell::TvxLineType, "vgLineNormal", "vgLineHorizontal", "vgLineVertical")
