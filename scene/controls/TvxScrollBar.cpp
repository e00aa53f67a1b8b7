// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxScrollBar.h"

#include <algorithm>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxThumb, TvxControl)
{
}

NIMBRELL_DEFINE_CLASS(TvxRangeControl, TvxControl)
{
    c.Float("Min", &TvxRangeControl::Min, &TvxRangeControl::SetMin);
    c.Float("Max", &TvxRangeControl::Max, &TvxRangeControl::SetMax).StoredWhen([](const TvxRangeControl& r) { return r.Max() != 100; });
    c.Float("ViewportSize", &TvxRangeControl::ViewportSize, &TvxRangeControl::SetViewportSize);
    c.Float("Value", &TvxRangeControl::Value, &TvxRangeControl::SetValue);
    c.Enum("Orientation", &TvxRangeControl::Orientation, &TvxRangeControl::SetOrientation).Default(TvxOrientation::vgHorizontal);
    c.Event("OnChange", &TvxRangeControl::OnChange);
}

NIMBRELL_DEFINE_CLASS(TvxCustomTrack, TvxRangeControl)
{
    c.Float("Frequency", &TvxCustomTrack::Frequency, &TvxCustomTrack::SetFrequency);
    c.Enum("Tracking", &TvxCustomTrack::Tracking, &TvxCustomTrack::SetTracking).Default(true);
}

NIMBRELL_DEFINE_CLASS(TvxTrack, TvxCustomTrack)
{
}

NIMBRELL_DEFINE_CLASS(TvxScrollBar, TvxRangeControl)
{
    c.Float("SmallChange", &TvxScrollBar::SmallChange, &TvxScrollBar::SetSmallChange).StoredWhen([](const TvxScrollBar& b) { return b.SmallChange() != 1; });
}

NIMBRELL_DEFINE_CLASS(TvxSmallScrollBar, TvxScrollBar)
{
}

TvxThumb::TvxThumb(TvxComponent* owner)
    : TvxControl(owner)
{
    SetAutoCapture(true);
    SetCanFocused(false);
}

void TvxThumb::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxControl::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft || !m_track)
        return;
    m_dragging = true;
    m_grabOffset = m_track->Orientation() == TvxOrientation::vgHorizontal ? x : y;
}

void TvxThumb::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxControl::MouseMove(shift, x, y);
    if (!m_dragging || !m_track || !(shift & kLeftButton))
        return;
    float pointer = m_track->PositionAlong(LocalToAbsolute({ x, y }));
    m_track->SetValue(ThumbDragValue(m_track->Range(), pointer, m_grabOffset, m_track->TrackLength()));
}

void TvxThumb::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    m_dragging = false;
    TvxControl::MouseUp(button, shift, x, y);
}

TvxRangeControl::TvxRangeControl(TvxComponent* owner)
    : TvxControl(owner)
{
}

void TvxRangeControl::SetValue(float value)
{
    if (m_range.SetValue(AdjustValue(value)))
        ValueChanged();
}

void TvxRangeControl::RangeChanged(bool valueMoved)
{
    if (valueMoved)
        ValueChanged();
    else
        BoundsChanged();
}

void TvxRangeControl::SetOrientation(TvxOrientation value)
{
    if (m_orientation == value)
        return;
    m_orientation = value;
    OrientationChanged();
}

TvxCustomTrack::TvxCustomTrack(TvxComponent* owner)
    : TvxRangeControl(owner)
{
    SetWidth(100);
    SetHeight(15);
}

TvxTrack::TvxTrack(TvxComponent* owner)
    : TvxCustomTrack(owner)
{
}

float TvxCustomTrack::AdjustValue(float value)
{
    return ApplyFrequency(value, m_frequency);
}

void TvxCustomTrack::ValueChanged()
{
    PlaceThumb();
    TvxRangeControl::ValueChanged();
}

float TvxCustomTrack::TrackLength() const
{
    TvxRect padding = m_thumb ? TvxRect { m_thumb->Padding().Left(), m_thumb->Padding().Top(), m_thumb->Padding().Right(), m_thumb->Padding().Bottom() } : TvxRect {};
    if (Horizontal())
        return std::max(0.0f, Width() - Margins().Left() - Margins().Right() - padding.Left - padding.Right);
    return std::max(0.0f, Height() - Margins().Top() - Margins().Bottom() - padding.Top - padding.Bottom);
}

float TvxCustomTrack::PositionAlong(TvxPoint absolute)
{
    TvxPoint local = AbsoluteToLocal(absolute);
    float before = Horizontal() ? Margins().Left() : Margins().Top();
    if (m_thumb)
        before += Horizontal() ? m_thumb->Padding().Left() : m_thumb->Padding().Top();
    return (Horizontal() ? local.X : local.Y) - before;
}

void TvxCustomTrack::PlaceThumb()
{
    if (!m_thumb)
        return;
    const auto& pad = m_thumb->Padding();
    float length = TrackLength();
    if (Horizontal()) {
        float thickness = Height() - Margins().Top() - Margins().Bottom() - pad.Top() - pad.Bottom();
        ThumbSpan span = ThumbGeometry(Range(), length, thickness);
        m_thumb->SetBounds(Margins().Left() + pad.Left() + span.start, Margins().Top() + pad.Top(), span.length, thickness);
    } else {
        float thickness = Width() - Margins().Left() - Margins().Right() - pad.Left() - pad.Right();
        ThumbSpan span = ThumbGeometry(Range(), length, thickness);
        m_thumb->SetBounds(Margins().Left() + pad.Left(), Margins().Top() + pad.Top() + span.start, thickness, span.length);
    }
}

void TvxCustomTrack::Realign()
{
    TvxControl::Realign();
    PlaceThumb();
}

void TvxCustomTrack::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxControl::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft)
        return;
    float position = PositionAlong(LocalToAbsolute({ x, y }));
    SetValue(TrackPressValue(Range(), position, TrackLength()));
}

void TvxCustomTrack::ResourceApplied()
{
    TvxControl::ResourceApplied();
    m_thumb = StylePart<TvxThumb>("thumb");
    if (m_thumb)
        m_thumb->SetTrack(this);
    PlaceThumb();
}

void TvxCustomTrack::ResourceReleasing()
{
    if (m_thumb)
        m_thumb->SetTrack(nullptr);
    m_thumb = nullptr;
    TvxControl::ResourceReleasing();
}

TvxScrollBar::TvxScrollBar(TvxComponent* owner)
    : TvxRangeControl(owner)
{
    SetWidth(150);
    SetHeight(18);
}

TvxSmallScrollBar::TvxSmallScrollBar(TvxComponent* owner)
    : TvxScrollBar(owner)
{
    SetHeight(8);
}

void TvxScrollBar::ValueChanged()
{
    TvxRangeControl::ValueChanged();
    Realign();
}

void TvxScrollBar::OrientationChanged()
{
    // The parts of the other orientation show with the next style.
    if (StyleClone())
        ResourceApplied();
}

void TvxScrollBar::BindButton(const char* name, float direction)
{
    auto* button = StylePart<TvxVisualObject>(name);
    if (!button)
        return;
    bool ours = (name[0] == 'l' || name[0] == 'r') == Horizontal();
    button->SetVisible(ours);
    if (ours)
        button->OnClick.Set([this, direction](TvxObject*) { SetValue(Value() + direction * m_smallChange); });
    else
        button->OnClick.Clear();
}

void TvxScrollBar::ResourceApplied()
{
    TvxControl::ResourceApplied();
    bool horizontal = Horizontal();
    auto* htrack = StylePart<TvxCustomTrack>("htrack");
    auto* vtrack = StylePart<TvxCustomTrack>("vtrack");
    if (m_track)
        m_track->OnChange.Clear();
    m_track = horizontal ? htrack : vtrack;
    if (auto* other = horizontal ? vtrack : htrack)
        other->SetVisible(false);
    if (m_track) {
        m_track->SetVisible(true);
        m_track->SetOrientation(Orientation());
        m_track->OnChange.Set([this](TvxObject*) {
            if (!m_syncing)
                SetValue(m_track->Value());
        });
    }
    BindButton("leftbutton", -1);
    BindButton("rightbutton", 1);
    BindButton("topbutton", -1);
    BindButton("bottombutton", 1);
    Realign();
}

void TvxScrollBar::ResourceReleasing()
{
    if (m_track)
        m_track->OnChange.Clear();
    m_track = nullptr;
    TvxControl::ResourceReleasing();
}

void TvxScrollBar::Realign()
{
    TvxControl::Realign();
    if (!m_track)
        return;
    // The track follows the bar; its own clamping on the way must not feed back.
    m_syncing = true;
    m_track->SetMin(std::min(Min(), m_track->Min()));
    m_track->SetMax(Max());
    m_track->SetMin(Min());
    m_track->SetViewportSize(ViewportSize());
    m_track->SetValue(Value());
    m_syncing = false;
    m_track->Realign();
}

}
