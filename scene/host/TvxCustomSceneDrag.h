// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The state of an object dragged within a scene, shared by the scene's files.

#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxBitmap.h"

#include <memory>

namespace nimbrell {

struct TvxCustomScene::ObjectDrag {
    TvxDragObject data;
    TvxVisualObject* source { nullptr };
    TvxVisualObject* over { nullptr };
    bool accepted { false };
    std::unique_ptr<TvxBitmap> image;
    // Where the pointer holds the image, in image pixels.
    TvxPoint grip;
    // Where the image was last painted, in scene coordinates.
    TvxRect imageArea;
};

}
