// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Path geometry: an ordered list of points, each a kind and a position. A curve takes
// three consecutive curve points (two control points, then the end point); a close
// point's coordinates mean nothing. Stored as the binary property Path: a 32-bit
// little-endian count N, then N records of 32-bit kind, 32-bit float X and Y (9-byte
// records with an 8-bit kind are read too).

#include "scene/core/Geometry.h"
#include "scene/core/TvxSubRecord.h"
#include "scene/render/CanvasEnums.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace nimbrell {

struct TvxPathPoint {
    TvxPathPointKind Kind { TvxPathPointKind::vgPathPointMoveTo };
    TvxPoint Point;
    bool operator==(const TvxPathPoint&) const = default;
};

class TvxPathData : public TvxSubRecord {
    NIMBRELL_CLASS(TvxPathData)
public:
    TvxPathData() = default;

    std::span<const TvxPathPoint> Points() const { return m_points; }
    int Count() const { return static_cast<int>(m_points.size()); }
    bool IsEmpty() const { return m_points.empty(); }

    void Clear();
    void MoveTo(TvxPoint point);
    void LineTo(TvxPoint point);
    void CurveTo(TvxPoint control1, TvxPoint control2, TvxPoint end);
    void ClosePath();
    void SetPoints(std::vector<TvxPathPoint> points);
    // Absolute M, L, C and Z commands with comma or blank separated numbers. Returns false,
    // leaving the path unchanged, on any other syntax.
    bool SetPathString(std::string_view text);
    void Scale(float x, float y);

    // Minimum and maximum over the points that are not close points; (0,0,0,0) when
    // empty; a zero width or height is widened to 0.001.
    TvxRect Bounds() const;

    // The stored form.
    std::vector<std::uint8_t> ToBytes() const;
    // False, leaving the path unchanged, when the bytes do not hold N whole records.
    bool FromBytes(std::span<const std::uint8_t> bytes);

    void Assign(const TvxPersistent& source) override;
    void DefineProperties(TvxFiler& filer) override;

private:
    void Add(TvxPathPointKind kind, TvxPoint point);

    std::vector<TvxPathPoint> m_points;
};

}
