// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/SceneRenderClasses.h"

#include "scene/core/ObjectStream.h"
#include "scene/render/FontConfiguration.h"
#include "scene/render/TvxBitmapObject.h"
#include "scene/render/TvxBrushObject.h"

namespace nimbrell {

void RegisterSceneRenderClasses()
{
    RegisterSceneCoreClasses();
    RegisterClass<TvxBrushObject>();
    RegisterClass<TvxBitmapObject>();
    // Before any text is laid out, the families the scenes name must resolve.
    LoadFontConfiguration();
}

}
