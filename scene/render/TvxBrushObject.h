// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scene object that holds a named brush, found by its resource name.

#include "scene/core/TvxObject.h"
#include "scene/render/TvxBrush.h"

namespace nimbrell {

class TvxBrushObject : public TvxObject {
    NIMBRELL_CLASS(TvxBrushObject)
public:
    explicit TvxBrushObject(TvxComponent* owner);

    TvxBrush& Brush() { return m_brush; }
    const TvxBrush& Brush() const { return m_brush; }

private:
    TvxBrush m_brush { TvxBrushStyle::vgBrushSolid, 0xFFFFFFFF };
};

}
