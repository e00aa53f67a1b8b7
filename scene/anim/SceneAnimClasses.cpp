#include "scene/anim/SceneAnimClasses.h"

#include "scene/anim/TvxColorAnimation.h"
#include "scene/anim/TvxFloatAnimation.h"
#include "scene/core/ObjectStream.h"
#include "scene/render/SceneRenderClasses.h"

namespace nimbrell {

void RegisterSceneAnimClasses()
{
    RegisterSceneRenderClasses();
    RegisterClass<TvxFloatAnimation>();
    RegisterClass<TvxColorAnimation>();
}

}
