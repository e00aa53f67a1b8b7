// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/visual/SceneVisualClasses.h"

#include "scene/render/SceneRenderClasses.h"
#include "scene/render/TvxCanvas.h"
#include "scene/visual/TvxVisualObject.h"

namespace nimbrell {

namespace {

// vgBrushVisual fills: the object is painted into the rectangle at the fill's opacity.
void PaintVisualBrush(TvxCanvas& canvas, TvxObject& object, const TvxRect& rect, float opacity)
{
    TvxVisualObject* visual = object.Visual();
    if (!visual)
        return;
    float saved = visual->Opacity();
    visual->SetOpacity(opacity);
    // The rectangle is in the space of the shape being filled: the canvas's current one.
    TvxMatrix base = canvas.Matrix();
    visual->PaintTo(&canvas, rect, nullptr, &base);
    visual->SetOpacity(saved);
}

}

void RegisterSceneVisualClasses()
{
    RegisterSceneRenderClasses();
    TvxCanvas::SetVisualPainter(&PaintVisualBrush);
}

}
