// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxGradient.h"

#include <algorithm>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxGradientPoint, TvxCollectionItem)
{
    c.Text("Color", &TvxGradientPoint::Color, &TvxGradientPoint::SetColor);
    c.Float("Offset", &TvxGradientPoint::Offset, &TvxGradientPoint::SetOffset);
}

NIMBRELL_DEFINE_CLASS(TvxGradient, TvxPersistent)
{
    c.Collection("Points", [](const TvxGradient& g) { return &g.Points(); });
    c.Enum("Style", &TvxGradient::Style, &TvxGradient::SetStyle);
    c.Object("StartPosition", [](const TvxGradient& g) { return &g.StartPosition(); }).StoredWhen(&TvxGradient::IsLinear);
    c.Object("StopPosition", [](const TvxGradient& g) { return &g.StopPosition(); }).StoredWhen(&TvxGradient::IsLinear);
    c.Object("RadialTransform", [](const TvxGradient& g) { return &g.RadialTransform(); }).StoredWhen(&TvxGradient::IsRadial);
}

TvxGradient::TvxGradient()
{
    TvxGradientPoint& first = m_points.AddItem();
    first.SetIntColor(0xFF000000);
    first.SetOffset(0);
    TvxGradientPoint& second = m_points.AddItem();
    second.SetIntColor(0xFFFFFFFF);
    second.SetOffset(1);
    m_points.OnChanged = [this] { Changed(); };
    m_startPosition.OnChanged = [this] { Changed(); };
    m_stopPosition.OnChanged = [this] { Changed(); };
    m_radialTransform.OnChanged = [this] { Changed(); };
}

void TvxGradient::SetColor(std::string_view text)
{
    if (m_points.Count() > 0)
        m_points[0].SetColor(text);
}

void TvxGradient::SetColor1(std::string_view text)
{
    if (m_points.Count() > 1)
        m_points[1].SetColor(text);
}

TvxColor TvxGradient::InterpolateColor(float offset) const
{
    int count = m_points.Count();
    if (count < 2)
        return 0;
    float t = std::clamp(offset, 0.0f, 1.0f);
    if (t < m_points[0].Offset())
        return m_points[0].IntColor();
    if (t > m_points[count - 1].Offset())
        return m_points[count - 1].IntColor();
    int pair = -1;
    for (int i = 0; i + 1 < count; ++i) {
        if (m_points[i].Offset() <= t)
            pair = i;
    }
    if (pair < 0)
        return m_points[0].IntColor();
    const TvxGradientPoint& from = m_points[pair];
    const TvxGradientPoint& to = m_points[pair + 1];
    float span = to.Offset() - from.Offset();
    if (!(span > 0))
        return from.IntColor();
    return nimbrell::InterpolateColor(from.IntColor(), to.IntColor(), (t - from.Offset()) / span);
}

void TvxGradient::Assign(const TvxPersistent& source)
{
    const TvxGradient* other = &SourceAs<TvxGradient>(source);
    m_points.BeginUpdate();
    m_points.Clear();
    for (int i = 0; i < other->m_points.Count(); ++i) {
        TvxGradientPoint& point = m_points.AddItem();
        point.SetIntColor(other->m_points[i].IntColor());
        point.SetOffset(other->m_points[i].Offset());
    }
    m_points.EndUpdate();
    SetStyle(other->m_style);
    if (IsLinear()) {
        m_startPosition.Assign(other->m_startPosition);
        m_stopPosition.Assign(other->m_stopPosition);
    } else {
        m_radialTransform.Assign(other->m_radialTransform);
    }
}

}
