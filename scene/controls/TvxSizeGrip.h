// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The resize grip of a window's scene: pressing it resizes the window with the mouse.

#include "scene/controls/TvxControl.h"

namespace nimbrell {

class TvxSizeGrip : public TvxControl {
    NIMBRELL_CLASS(TvxSizeGrip)
public:
    explicit TvxSizeGrip(TvxComponent* owner);

    bool IsResizeGrip() const override { return true; }
};

}
