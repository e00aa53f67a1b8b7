// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Four sides owned by a scene object (Margins, Padding, BitmapMargins). Stored as the
// custom property Rect; the single sides are never stored.

#include "scene/core/Geometry.h"
#include "scene/core/TvxSubRecord.h"

namespace nimbrell {

class TvxBounds : public TvxSubRecord {
    NIMBRELL_CLASS(TvxBounds)
public:
    explicit TvxBounds(TvxRect defaultValue = {});

    float Left() const { return m_rect.Left; }
    void SetLeft(float value) { SetRect({ value, m_rect.Top, m_rect.Right, m_rect.Bottom }); }
    float Top() const { return m_rect.Top; }
    void SetTop(float value) { SetRect({ m_rect.Left, value, m_rect.Right, m_rect.Bottom }); }
    float Right() const { return m_rect.Right; }
    void SetRight(float value) { SetRect({ m_rect.Left, m_rect.Top, value, m_rect.Bottom }); }
    float Bottom() const { return m_rect.Bottom; }
    void SetBottom(float value) { SetRect({ m_rect.Left, m_rect.Top, m_rect.Right, value }); }
    TvxRect Rect() const { return m_rect; }
    void SetRect(TvxRect rect) { UpdateField(m_rect, rect); }
    TvxRect DefaultValue() const { return m_default; }

    void Assign(const TvxPersistent& source) override;
    void DefineProperties(TvxFiler& filer) override;

private:
    TvxRect m_rect;
    TvxRect m_default;
};

}
