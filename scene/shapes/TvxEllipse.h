// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ellipse inscribed in the shape rectangle; hits only inside the ellipse.

#include "scene/shapes/TvxShape.h"

namespace nimbrell {

class TvxEllipse : public TvxShape {
    NIMBRELL_CLASS(TvxEllipse)
public:
    explicit TvxEllipse(TvxComponent* owner);

    bool PointInObject(float x, float y) override;

protected:
    void Paint() override;
};

}
