#include "scene/render/SceneRenderClasses.h"

#include "scene/core/ObjectStream.h"
#include "scene/render/TvxBrushObject.h"

namespace nimbrell {

void RegisterSceneRenderClasses()
{
    RegisterSceneCoreClasses();
    RegisterClass<TvxBrushObject>();
}

}
