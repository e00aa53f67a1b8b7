#pragma once

// Position, scale, rotation angle and rotation centre of a radial gradient.

#include "scene/core/TvxPosition.h"

#include <functional>

namespace nimbrell {

class TvxTransform : public TvxPersistent {
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

    // Told on every real change, of the angle or of any of the positions.
    std::function<void()> OnChanged;

    void Assign(const TvxPersistent& source) override;

protected:
    void Changed() override;

private:
    TvxPosition m_position { { 0, 0 } };
    TvxPosition m_scale { { 1, 1 } };
    float m_rotateAngle { 0 };
    TvxPosition m_rotateCenter { { 0.5f, 0.5f } };
};

}
