// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxProgressBar.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxProgressBar, TvxControl)
{
    c.Float("Min", &TvxProgressBar::Min, &TvxProgressBar::SetMin);
    c.Float("Max", &TvxProgressBar::Max, &TvxProgressBar::SetMax).StoredWhen([](const TvxProgressBar& p) { return p.Max() != 100; });
    c.Float("Value", &TvxProgressBar::Value, &TvxProgressBar::SetValue);
    c.Enum("Orientation", &TvxProgressBar::Orientation, &TvxProgressBar::SetOrientation).Default(TvxOrientation::vgHorizontal);
}

TvxProgressBar::TvxProgressBar(TvxComponent* owner)
    : TvxControl(owner)
{
    SetWidth(100);
    SetHeight(20);
}

void TvxProgressBar::SetValue(float value)
{
    if (m_value == value)
        return;
    m_value = value;
    Realign();
}

void TvxProgressBar::SetOrientation(TvxOrientation value)
{
    if (m_orientation == value)
        return;
    m_orientation = value;
    Realign();
}

void TvxProgressBar::SetData(const TvxVariant& value)
{
    if (const auto* number = std::get_if<double>(&value))
        SetValue(static_cast<float>(*number));
    else if (const auto* integer = std::get_if<std::int64_t>(&value))
        SetValue(static_cast<float>(*integer));
    else
        SetValue(m_min);
}

void TvxProgressBar::ResourceApplied()
{
    TvxControl::ResourceApplied();
    const char* indicator = m_orientation == TvxOrientation::vgHorizontal ? "hindicator" : "vindicator";
    if (auto* part = StylePart<TvxVisualObject>(indicator))
        part->StartTriggerAnimation(this, "IsVisible");
    Realign();
}

void TvxProgressBar::Realign()
{
    // The track takes its size from the bar first; the indicator follows the track.
    TvxControl::Realign();
    PlaceIndicator();
}

void TvxProgressBar::PlaceIndicator()
{
    bool horizontal = m_orientation == TvxOrientation::vgHorizontal;
    if (auto* other = StylePart<TvxVisualObject>(horizontal ? "vtrack" : "htrack"))
        other->SetVisible(false);
    auto* track = StylePart<TvxVisualObject>(horizontal ? "htrack" : "vtrack");
    if (!track)
        track = StylePart<TvxVisualObject>("track");
    if (auto* crossed = StylePart<TvxVisualObject>(horizontal ? "vindicator" : "hindicator"))
        crossed->SetVisible(false);
    auto* indicator = StylePart<TvxVisualObject>(horizontal ? "hindicator" : "vindicator");
    if (!track || !indicator || !(m_max > m_min))
        return;
    float fraction = (m_value - m_min) / (m_max - m_min);
    if (horizontal) {
        float room = track->Width() - track->Margins().Left() - track->Margins().Right() - indicator->Padding().Left()
            - indicator->Padding().Right();
        indicator->SetWidth(fraction * room);
        indicator->SetVisible(indicator->Width() > 2);
    } else {
        float room = track->Height() - track->Margins().Top() - track->Margins().Bottom() - indicator->Padding().Top()
            - indicator->Padding().Bottom();
        indicator->SetHeight(fraction * room);
        indicator->SetVisible(indicator->Height() > 2);
    }
}

}
