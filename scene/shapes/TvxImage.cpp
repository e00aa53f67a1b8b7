// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxImage.h"

#include "scene/render/TvxCanvas.h"
#include "scene/shapes/FitRect.h"

#include <algorithm>
#include <stdexcept>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxImage, TvxVisualObject)
{
    c.Object("Bitmap", [](const TvxImage& i) { return &i.Bitmap(); });
    c.Object("BitmapMargins", [](const TvxImage& i) { return &i.BitmapMargins(); });
    // Always written: stored forms carry the placement explicitly.
    c.Enum("WrapMode", &TvxImage::WrapMode, &TvxImage::SetWrapMode);
    c.Enum("DisableInterpolation", &TvxImage::DisableInterpolation, &TvxImage::SetDisableInterpolation).Default(false);
    c.Event("OnBitmapLoaded", &TvxImage::OnBitmapLoaded);
}

TvxImage::TvxImage(TvxComponent* owner)
    : TvxVisualObject(owner)
{
    m_bitmap.OnChanged = [this] { BitmapChanged(); };
    m_bitmapMargins.OnChanged = [this] { ApplyChange(TvxChange::Repaint); };
}

void TvxImage::BitmapChanged()
{
    ApplyChange(TvxChange::EffectsStale | TvxChange::Repaint);
}

void TvxImage::SetBitmap(const TvxBitmap* bitmap)
{
    if (!bitmap)
        throw std::invalid_argument("Cannot assign a nil to a TvxBitmap");
    m_bitmap.Assign(*bitmap);
    Repaint();
}

void TvxImage::SetWrapMode(TvxImageWrap value)
{
    UpdateField(m_wrapMode, value, TvxChange::Repaint);
}

void TvxImage::SetData(const TvxVariant& value)
{
    if (auto* path = std::get_if<std::string>(&value))
        m_bitmap.LoadFromFile(*path);
}

void TvxImage::Paint()
{
    TvxCanvas* canvas = Canvas();
    if (!canvas)
        return;
    const TvxBitmap* picture = m_bitmap.ResourceBitmap();
    if (!picture)
        picture = &m_bitmap;
    if (picture->IsEmpty())
        return;
    const float bw = float(picture->Width()), bh = float(picture->Height());
    const float w = Width(), h = Height();
    const TvxRect full { 0, 0, bw, bh };
    const float opacity = AbsoluteOpacity();
    const TvxRect m = m_bitmapMargins.Rect();

    if (m.Left != 0 || m.Top != 0 || m.Right != 0 || m.Bottom != 0) {
        const float l = m.Left, t = m.Top, r = m.Right, b = m.Bottom;
        const TvxRect pieces[][2] = {
            { { 0, 0, l, t }, { 0, 0, l, t } },
            { { l, 0, w - r, t }, { l, 0, bw - r, t } },
            { { w - r, 0, w, t }, { bw - r, 0, bw, t } },
            { { 0, t, l, h - b }, { 0, t, l, bh - b } },
            { { l, t, w - r, h - b }, { l, t, bw - r, bh - b } },
            { { w - r, t, w, h - b }, { bw - r, t, bw, bh - b } },
            { { 0, h - b, l, h }, { 0, bh - b, l, bh } },
            { { l, h - b, w - r, h }, { l, bh - b, bw - r, bh } },
            { { w - r, h - b, w, h }, { bw - r, bh - b, bw, bh } }
        };
        for (const auto& piece : pieces)
            canvas->DrawBitmap(*picture, piece[1], piece[0], opacity, true);
        return;
    }

    switch (m_wrapMode) {
    case TvxImageWrap::vgImageOriginal: {
        int state = canvas->SaveCanvas();
        canvas->IntersectClipRect(LocalRect());
        canvas->DrawBitmap(*picture, full, full, opacity, true);
        canvas->RestoreCanvas(state);
        break;
    }
    case TvxImageWrap::vgImageFit:
        canvas->DrawBitmap(*picture, full, FitRect(full, LocalRect()), opacity, m_disableInterpolation);
        break;
    case TvxImageWrap::vgImageStretch:
        canvas->DrawBitmap(*picture, full, LocalRect(), opacity, m_disableInterpolation);
        break;
    case TvxImageWrap::vgImageTile: {
        int state = canvas->SaveCanvas();
        canvas->IntersectClipRect(LocalRect());
        int columns = std::min(static_cast<int>(RoundHalfEven(w / bw)), 4096);
        int rows = std::min(static_cast<int>(RoundHalfEven(h / bh)), 4096);
        for (int i = 0; i <= columns; ++i) {
            for (int j = 0; j <= rows; ++j)
                canvas->DrawBitmap(*picture, full, { i * bw, j * bh, i * bw + bw, j * bh + bh }, opacity, true);
        }
        canvas->RestoreCanvas(state);
        break;
    }
    }
}

}
