// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An invisible container that only groups and aligns its children; clicks pass through.

#include "scene/visual/TvxVisualObject.h"

namespace nimbrell {

class TvxLayout : public TvxVisualObject {
    NIMBRELL_CLASS(TvxLayout)
public:
    explicit TvxLayout(TvxComponent* owner);
};

}
