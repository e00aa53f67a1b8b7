// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A stored picture drawn in one of four placements, or as a nine-piece frame when any
// bitmap margin is set (corners keep their pixel size, edges stretch along one axis, the
// centre along both).

#include "scene/visual/TvxVisualObject.h"
#include "scene/render/TvxBitmap.h"

namespace nimbrell {

enum class TvxImageWrap {
    vgImageOriginal,
    vgImageFit,
    vgImageStretch,
    vgImageTile
};

class TvxImage : public TvxVisualObject {
    NIMBRELL_CLASS(TvxImage)
public:
    explicit TvxImage(TvxComponent* owner);

    TvxBitmap& Bitmap() { return m_bitmap; }
    const TvxBitmap& Bitmap() const { return m_bitmap; }
    // Copies the bitmap; throws std::invalid_argument "Cannot assign a nil to a TvxBitmap"
    // for none, keeping the picture.
    void SetBitmap(const TvxBitmap* bitmap);
    TvxBounds& BitmapMargins() { return m_bitmapMargins; }
    const TvxBounds& BitmapMargins() const { return m_bitmapMargins; }
    TvxImageWrap WrapMode() const { return m_wrapMode; }
    void SetWrapMode(TvxImageWrap value);
    bool DisableInterpolation() const { return m_disableInterpolation; }
    void SetDisableInterpolation(bool value) { m_disableInterpolation = value; }

    TvxNotifyEvent OnBitmapLoaded;

    // A text value loads the bitmap from that file; a missing file changes nothing.
    void SetData(const TvxVariant& value) override;

protected:
    void Paint() override;
    virtual void BitmapChanged();

private:
    TvxBitmap m_bitmap;
    TvxBounds m_bitmapMargins;
    TvxImageWrap m_wrapMode { TvxImageWrap::vgImageFit };
    bool m_disableInterpolation { false };
};

}

NIMBRELL_ENUM(nimbrell::TvxImageWrap, "vgImageOriginal", "vgImageFit", "vgImageStretch", "vgImageTile")
