// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxSizeGrip.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxSizeGrip, TvxControl)
{
}

TvxSizeGrip::TvxSizeGrip(TvxComponent* owner)
    : TvxControl(owner)
{
    SetWidth(15);
    SetHeight(15);
}

}
