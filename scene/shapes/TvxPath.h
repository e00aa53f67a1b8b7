// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Path shapes: the path is mapped onto the shape by the wrap mode (original place, fit,
// stretch, or tiled). TvxPath publishes its path; the scroll arrows preset theirs.

#include "scene/render/TvxPathData.h"
#include "scene/shapes/TvxShape.h"

namespace nimbrell {

enum class TvxPathWrap {
    vgPathOriginal,
    vgPathFit,
    vgPathStretch,
    vgPathTile
};

class TvxCustomPath : public TvxShape {
    NIMBRELL_CLASS(TvxCustomPath)
public:
    explicit TvxCustomPath(TvxComponent* owner);

    TvxPathData& Data() { return m_data; }
    const TvxPathData& Data() const { return m_data; }
    // Copies the path.
    void SetPathData(const TvxPathData& data) { m_data.Assign(data); }
    TvxPathWrap WrapMode() const { return m_wrapMode; }
    void SetWrapMode(TvxPathWrap value);

    bool PointInObject(float x, float y) override;

protected:
    void Paint() override;

private:
    void PaintAt(TvxCanvas& canvas, const TvxRect& target, float opacity);

    TvxPathData m_data;
    TvxPathWrap m_wrapMode { TvxPathWrap::vgPathStretch };
};

class TvxPath : public TvxCustomPath {
    NIMBRELL_CLASS(TvxPath)
public:
    explicit TvxPath(TvxComponent* owner);
};

class TvxScrollArrowLeft : public TvxCustomPath {
    NIMBRELL_CLASS(TvxScrollArrowLeft)
public:
    explicit TvxScrollArrowLeft(TvxComponent* owner);
};

class TvxScrollArrowRight : public TvxCustomPath {
    NIMBRELL_CLASS(TvxScrollArrowRight)
public:
    explicit TvxScrollArrowRight(TvxComponent* owner);
};

}

NIMBRELL_ENUM(nimbrell::TvxPathWrap, "vgPathOriginal", "vgPathFit", "vgPathStretch", "vgPathTile")
