// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/host/TvxBackground.h"

#include "scene/render/TvxCanvas.h"
#include "scene/core/ObjectStream.h"
#include "scene/host/TvxForm.h"
#include "scene/shapes/SceneShapeClasses.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBackground, TvxVisualObject)
{
    c.Object("Fill", [](const TvxBackground& b) { return &b.Fill(); });
}

TvxBackground::TvxBackground(TvxComponent* owner)
    : TvxVisualObject(owner)
{
    m_fill.OnChanged = [this] { ApplyChange(TvxChange::Repaint); };
}

void TvxBackground::Paint()
{
    if (m_fill.Style() == TvxBrushStyle::vgBrushNone)
        return;
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    canvas->Fill().Assign(m_fill);
    canvas->FillRect(LocalRect(), 0, 0, kAllCorners, AbsoluteOpacity());
}

void RegisterSceneHostClasses()
{
    RegisterSceneShapeClasses();
    RegisterClass<TvxBackground>();
    RegisterStoredWindowClasses();
}

}
