// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scene/core/Geometry.h"

namespace nimbrell {

// Press tracking counts the edges of a control as inside.
inline bool InsideWithEdges(const TvxRect& rect, float x, float y)
{
    return x >= rect.Left && x <= rect.Right && y >= rect.Top && y <= rect.Bottom;
}

}
