// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/SceneShapeClasses.h"

#include "scene/core/ObjectStream.h"
#include "scene/visual/SceneVisualClasses.h"
#include "scene/shapes/TvxBitmapEffects.h"
#include "scene/shapes/TvxEllipse.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxImageList.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxLine.h"
#include "scene/shapes/TvxPath.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"

namespace nimbrell {

void RegisterSceneShapeClasses()
{
    RegisterSceneVisualClasses();
    RegisterClass<TvxLayout>();
    RegisterClass<TvxRectangle>();
    RegisterClass<TvxRoundRect>();
    RegisterClass<TvxEllipse>();
    RegisterClass<TvxLine>();
    RegisterClass<TvxPath>();
    RegisterClass<TvxScrollArrowLeft>();
    RegisterClass<TvxScrollArrowRight>();
    RegisterClass<TvxText>();
    RegisterClass<TvxImage>();
    RegisterClass<TvxShadowEffect>();
    RegisterClass<TvxGlowEffect>();
    RegisterClass<TvxReflectionEffect>();
    RegisterClass<TvxImageList>();
}

}
