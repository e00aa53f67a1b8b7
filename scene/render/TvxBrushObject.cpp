// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxBrushObject.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBrushObject, TvxObject)
{
    c.Object("Brush", [](const TvxBrushObject& object) { return &object.Brush(); });
}

TvxBrushObject::TvxBrushObject(TvxComponent* owner)
    : TvxObject(owner)
{
}

}
