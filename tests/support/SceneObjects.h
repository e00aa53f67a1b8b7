// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Building small scenes in tests.

#include "scene/shapes/TvxRectangle.h"

namespace nimbrell::testing {

// A rectangle with a solid fill and no stroke, added to parent.
inline TvxRectangle* AddRectangle(TvxVisualObject* parent, TvxRect bounds, TvxColor fill)
{
    auto* rectangle = new TvxRectangle(nullptr);
    rectangle->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    rectangle->Fill().SetSolidColor(fill);
    rectangle->Stroke().SetStyle(TvxBrushStyle::vgBrushNone);
    parent->AddObject(rectangle);
    return rectangle;
}

}
