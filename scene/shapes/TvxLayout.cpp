// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxLayout.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxLayout, TvxVisualObject)
{
    c.Enum("HitTest", &TvxLayout::HitTest, &TvxLayout::SetHitTest).Default(false);
}

TvxLayout::TvxLayout(TvxComponent* owner)
    : TvxVisualObject(owner)
{
    SetHitTest(false);
}

}
