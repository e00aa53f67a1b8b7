// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Building small scenes in tests.

#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxRectangle.h"

#include <cstdint>
#include <memory>

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

// A width × height picture whose premultiplied pixels pixelAt(x, y) gives.
template<typename PixelAt>
std::unique_ptr<TvxBitmap> MakePicture(int width, int height, PixelAt pixelAt)
{
    auto picture = std::make_unique<TvxBitmap>(width, height);
    std::uint32_t* bits = picture->Bits();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bits[y * width + x] = pixelAt(x, y);
    }
    picture->MarkDirty();
    return picture;
}

}
