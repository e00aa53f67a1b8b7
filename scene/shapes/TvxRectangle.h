// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Rectangles with rounded or cut corners and optional sides, and the fully rounded
// rectangle (a capsule along its longer side, a circle when square).

#include "scene/shapes/TvxShape.h"

namespace nimbrell {

class TvxRectangle : public TvxShape {
    NIMBRELL_CLASS(TvxRectangle)
public:
    explicit TvxRectangle(TvxComponent* owner);

    float xRadius() const { return m_xRadius; }
    virtual void SetxRadius(float value);
    float yRadius() const { return m_yRadius; }
    virtual void SetyRadius(float value);
    TvxCorners Corners() const { return m_corners; }
    virtual void SetCorners(TvxCorners value);
    TvxCornerType CornerType() const { return m_cornerType; }
    virtual void SetCornerType(TvxCornerType value);
    TvxSides Sides() const { return m_sides; }
    virtual void SetSides(TvxSides value);

protected:
    void Paint() override;

private:
    float m_yRadius { 0 };
    float m_xRadius { 0 };
    TvxCorners m_corners { kAllCorners };
    TvxCornerType m_cornerType { TvxCornerType::vgCornerRound };
    TvxSides m_sides { kAllSides };
};

class TvxRoundRect : public TvxShape {
    NIMBRELL_CLASS(TvxRoundRect)
public:
    explicit TvxRoundRect(TvxComponent* owner);

    TvxCorners Corners() const { return m_corners; }
    virtual void SetCorners(TvxCorners value);

protected:
    void Paint() override;

private:
    TvxCorners m_corners { kAllCorners };
};

}
