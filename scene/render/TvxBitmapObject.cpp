// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxBitmapObject.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBitmapObject, TvxObject)
{
    c.Object("Bitmap", [](const TvxBitmapObject& o) { return &o.Bitmap(); });
}

TvxBitmapObject::TvxBitmapObject(TvxComponent* owner)
    : TvxObject(owner)
{
}

}
