// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A point owned by a scene object or a gradient (Position, Scale, RotateCenter,
// StartPosition). Stored as the custom property Point; X and Y are never stored.

#include "scene/core/Geometry.h"
#include "scene/core/TvxSubRecord.h"

namespace nimbrell {

class TvxPosition : public TvxSubRecord {
    NIMBRELL_CLASS(TvxPosition)
public:
    explicit TvxPosition(TvxPoint defaultValue = {});

    float X() const { return m_point.X; }
    void SetX(float value) { SetPoint({ value, m_point.Y }); }
    float Y() const { return m_point.Y; }
    void SetY(float value) { SetPoint({ m_point.X, value }); }
    TvxPoint Point() const { return m_point; }
    // Both coordinates at once, one notification.
    void SetPoint(TvxPoint point) { UpdateField(m_point, point); }
    TvxPoint DefaultValue() const { return m_default; }
    void SetDefaultValue(TvxPoint value) { m_default = value; }

    void Assign(const TvxPersistent& source) override;
    void DefineProperties(TvxFiler& filer) override;

private:
    TvxPoint m_point;
    TvxPoint m_default;
};

}
