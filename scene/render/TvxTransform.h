// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Position, scale, rotation angle and rotation centre of a radial gradient.

#include "scene/core/TvxPosition.h"
#include "scene/core/TvxSubRecord.h"

namespace nimbrell {

class TvxTransform : public TvxSubRecord {
    NIMBRELL_CLASS(TvxTransform)
public:
    TvxTransform();

    TvxPosition& Position() { return m_position; }
    const TvxPosition& Position() const { return m_position; }
    TvxPosition& Scale() { return m_scale; }
    const TvxPosition& Scale() const { return m_scale; }
    float RotateAngle() const { return m_rotateAngle; }
    void SetRotateAngle(float value) { UpdateField(m_rotateAngle, value); }
    TvxPosition& RotateCenter() { return m_rotateCenter; }
    const TvxPosition& RotateCenter() const { return m_rotateCenter; }

    void Assign(const TvxPersistent& source) override;

private:
    TvxPosition m_position { { 0, 0 } };
    TvxPosition m_scale { { 1, 1 } };
    float m_rotateAngle { 0 };
    TvxPosition m_rotateCenter { { 0.5f, 0.5f } };
};

}
