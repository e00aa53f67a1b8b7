// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scene object that holds a named bitmap, found by its resource name.

#include "scene/core/TvxObject.h"
#include "scene/render/TvxBitmap.h"

namespace nimbrell {

class TvxBitmapObject : public TvxObject {
    NIMBRELL_CLASS(TvxBitmapObject)
public:
    explicit TvxBitmapObject(TvxComponent* owner);

    TvxBitmap& Bitmap() { return m_bitmap; }
    const TvxBitmap& Bitmap() const { return m_bitmap; }

private:
    TvxBitmap m_bitmap;
};

}
