// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/SceneAnimClasses.h"

#include "scene/anim/TvxColorAnimation.h"
#include "scene/anim/TvxFloatAnimation.h"
#include "scene/core/ObjectStream.h"
#include "scene/visual/SceneVisualClasses.h"

namespace nimbrell {

void RegisterSceneAnimClasses()
{
    RegisterSceneVisualClasses();
    RegisterClass<TvxFloatAnimation>();
    RegisterClass<TvxColorAnimation>();
}

}
