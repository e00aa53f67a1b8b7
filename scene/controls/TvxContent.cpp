// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxContent.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxContent, TvxVisualObject)
{
}

TvxContent::TvxContent(TvxComponent* owner)
    : TvxVisualObject(owner)
{
}

}
