// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The root object of every stored scene: an optional fill behind the content.
// With no fill it paints nothing, so a transparent window shows the desktop there.

#include "scene/visual/TvxVisualObject.h"
#include "scene/render/TvxBrush.h"

namespace nimbrell {

class TvxBackground : public TvxVisualObject {
    NIMBRELL_CLASS(TvxBackground)
public:
    explicit TvxBackground(TvxComponent* owner);

    TvxBrush& Fill() { return m_fill; }
    const TvxBrush& Fill() const { return m_fill; }

protected:
    void Paint() override;

private:
    TvxBrush m_fill { TvxBrushStyle::vgBrushNone, 0xFFE0E0E0 };
};

void RegisterSceneHostClasses();

}
