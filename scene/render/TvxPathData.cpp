// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxPathData.h"

#include "scene/core/TvxFiler.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxPathData, TvxPersistent)
{
}

void TvxPathData::Add(TvxPathPointKind kind, TvxPoint point)
{
    m_points.push_back({ kind, point });
    Changed();
}

void TvxPathData::Clear()
{
    if (m_points.empty())
        return;
    m_points.clear();
    Changed();
}

void TvxPathData::MoveTo(TvxPoint point) { Add(TvxPathPointKind::vgPathPointMoveTo, point); }
void TvxPathData::LineTo(TvxPoint point) { Add(TvxPathPointKind::vgPathPointLineTo, point); }

void TvxPathData::CurveTo(TvxPoint control1, TvxPoint control2, TvxPoint end)
{
    m_points.push_back({ TvxPathPointKind::vgPathPointCurveTo, control1 });
    m_points.push_back({ TvxPathPointKind::vgPathPointCurveTo, control2 });
    Add(TvxPathPointKind::vgPathPointCurveTo, end);
}

void TvxPathData::ClosePath() { Add(TvxPathPointKind::vgPathPointClose, {}); }

void TvxPathData::SetPoints(std::vector<TvxPathPoint> points)
{
    UpdateField(m_points, std::move(points));
}

bool TvxPathData::SetPathString(std::string_view text)
{
    std::vector<TvxPathPoint> points;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ','))
            ++i;
    };
    auto number = [&](float& value) {
        skip();
        const char* begin = text.data() + i;
        auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
        if (error != std::errc())
            return false;
        i += static_cast<std::size_t>(end - begin);
        return true;
    };
    auto point = [&](TvxPoint& p) { return number(p.X) && number(p.Y); };
    char command = 0;
    TvxPoint start;
    while (true) {
        skip();
        if (i >= text.size())
            break;
        if (std::isalpha(static_cast<unsigned char>(text[i])))
            command = text[i++];
        TvxPoint p, c1, c2;
        switch (command) {
        case 'M':
            if (!point(p))
                return false;
            points.push_back({ TvxPathPointKind::vgPathPointMoveTo, p });
            start = p;
            command = 'L';
            break;
        case 'L':
            if (!point(p))
                return false;
            points.push_back({ TvxPathPointKind::vgPathPointLineTo, p });
            break;
        case 'C':
            if (!point(c1) || !point(c2) || !point(p))
                return false;
            points.push_back({ TvxPathPointKind::vgPathPointCurveTo, c1 });
            points.push_back({ TvxPathPointKind::vgPathPointCurveTo, c2 });
            points.push_back({ TvxPathPointKind::vgPathPointCurveTo, p });
            break;
        case 'Z':
        case 'z':
            points.push_back({ TvxPathPointKind::vgPathPointClose, start });
            command = 0;
            break;
        default:
            return false;
        }
    }
    SetPoints(std::move(points));
    return true;
}

void TvxPathData::Scale(float x, float y)
{
    if (m_points.empty())
        return;
    for (auto& p : m_points) {
        p.Point.X *= x;
        p.Point.Y *= y;
    }
    Changed();
}

TvxRect TvxPathData::Bounds() const
{
    TvxRect bounds { 0xFFFF, 0xFFFF, -0xFFFF, -0xFFFF };
    bool any = false;
    for (const auto& p : m_points) {
        if (p.Kind == TvxPathPointKind::vgPathPointClose)
            continue;
        any = true;
        bounds.Left = std::min(bounds.Left, p.Point.X);
        bounds.Top = std::min(bounds.Top, p.Point.Y);
        bounds.Right = std::max(bounds.Right, p.Point.X);
        bounds.Bottom = std::max(bounds.Bottom, p.Point.Y);
    }
    if (!any)
        return {};
    if (bounds.Right - bounds.Left == 0)
        bounds.Right = bounds.Left + 0.001f;
    if (bounds.Bottom - bounds.Top == 0)
        bounds.Bottom = bounds.Top + 0.001f;
    return bounds;
}

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

float GetFloat(const std::uint8_t* p)
{
    std::uint32_t bits = GetU32(p);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

}

std::vector<std::uint8_t> TvxPathData::ToBytes() const
{
    std::vector<std::uint8_t> out;
    out.reserve(4 + m_points.size() * 12);
    PutU32(out, static_cast<std::uint32_t>(m_points.size()));
    for (const auto& p : m_points) {
        std::uint32_t x, y;
        std::memcpy(&x, &p.Point.X, 4);
        std::memcpy(&y, &p.Point.Y, 4);
        PutU32(out, static_cast<std::uint32_t>(p.Kind));
        PutU32(out, x);
        PutU32(out, y);
    }
    return out;
}

bool TvxPathData::FromBytes(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4)
        return false;
    std::size_t count = GetU32(bytes.data());
    std::size_t payload = bytes.size() - 4;
    if (count == 0) {
        Clear();
        return true;
    }
    std::size_t record = payload / count == 9 ? 9 : 12;
    if (payload < count * record)
        return false;
    std::vector<TvxPathPoint> points;
    points.reserve(count);
    const std::uint8_t* p = bytes.data() + 4;
    for (std::size_t i = 0; i < count; ++i, p += record) {
        std::uint32_t kind = record == 9 ? p[0] : GetU32(p);
        const std::uint8_t* xy = p + (record == 9 ? 1 : 4);
        // An unknown kind is read as a line so the rest of the path keeps its shape.
        auto k = kind <= 3 ? static_cast<TvxPathPointKind>(kind) : TvxPathPointKind::vgPathPointLineTo;
        points.push_back({ k, { GetFloat(xy), GetFloat(xy + 4) } });
    }
    SetPoints(std::move(points));
    return true;
}

void TvxPathData::Assign(const TvxPersistent& source)
{
    const TvxPathData* other = &SourceAs<TvxPathData>(source);
    SetPoints(other->m_points);
}

void TvxPathData::DefineProperties(TvxFiler& filer)
{
    filer.DefineBinaryProperty(
        "Path", [this](std::span<const std::uint8_t> bytes) { FromBytes(bytes); },
        [this](std::vector<std::uint8_t>& out) { out = ToBytes(); }, !m_points.empty());
}

}
