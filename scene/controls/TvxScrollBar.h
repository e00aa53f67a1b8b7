// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scroll bars and what they are made of: a track holding a draggable thumb
// whose length shows the viewport's share of the range, and step buttons.
// Value stays within Min .. Max - ViewportSize.

#include "scene/controls/ScrollRange.h"
#include "scene/controls/TvxControl.h"
#include "scene/controls/TvxProgressBar.h"

namespace nimbrell {

class TvxCustomTrack;

class TvxThumb : public TvxControl {
    NIMBRELL_CLASS(TvxThumb)
public:
    explicit TvxThumb(TvxComponent* owner);

    void SetTrack(TvxCustomTrack* track) { m_track = track; }
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;

private:
    TvxCustomTrack* m_track { nullptr };
    float m_grabOffset { 0 };
    bool m_dragging { false };
};

// A control whose value stays within Min .. Max - ViewportSize (the rules of
// ScrollRange): the one piece of code behind the bound and value setters of the
// track and the scroll bar.
class TvxRangeControl : public TvxControl {
    NIMBRELL_CLASS(TvxRangeControl)
public:
    explicit TvxRangeControl(TvxComponent* owner);

    const ScrollRange& Range() const { return m_range; }
    float Value() const { return m_range.Value(); }
    void SetValue(float value);
    float Min() const { return m_range.Min(); }
    void SetMin(float value) { RangeChanged(m_range.SetMin(value)); }
    float Max() const { return m_range.Max(); }
    void SetMax(float value) { RangeChanged(m_range.SetMax(value)); }
    float ViewportSize() const { return m_range.ViewportSize(); }
    void SetViewportSize(float value) { RangeChanged(m_range.SetViewportSize(value)); }
    TvxOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TvxOrientation value);

    TvxNotifyEvent OnChange;

protected:
    // A value about to be stored, as the control keeps it.
    virtual float AdjustValue(float value) { return value; }
    // The value moved: written, or pulled along by a bound.
    virtual void ValueChanged() { OnChange(this); }
    // A bound changed and the value stayed.
    virtual void BoundsChanged() { }
    virtual void OrientationChanged() { }
    bool Horizontal() const { return m_orientation == TvxOrientation::vgHorizontal; }

private:
    void RangeChanged(bool valueMoved);

    ScrollRange m_range;
    TvxOrientation m_orientation { TvxOrientation::vgHorizontal };
};

class TvxCustomTrack : public TvxRangeControl {
    NIMBRELL_CLASS(TvxCustomTrack)
public:
    explicit TvxCustomTrack(TvxComponent* owner);

    float Frequency() const { return m_frequency; }
    void SetFrequency(float value) { m_frequency = value; }
    bool Tracking() const { return m_tracking; }
    void SetTracking(bool value) { m_tracking = value; }

    // The length the thumb moves along, and a point's position along it
    // (absolute coordinates in, track-local position out).
    float TrackLength() const;
    float PositionAlong(TvxPoint absolute);

    void Realign() override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    float AdjustValue(float value) override;
    void ValueChanged() override;
    void BoundsChanged() override { PlaceThumb(); }
    void OrientationChanged() override { PlaceThumb(); }

private:
    void PlaceThumb();

    TvxThumb* m_thumb { nullptr };
    float m_frequency { 0 };
    bool m_tracking { true };
};

class TvxTrack : public TvxCustomTrack {
    NIMBRELL_CLASS(TvxTrack)
public:
    explicit TvxTrack(TvxComponent* owner);
};

class TvxScrollBar : public TvxRangeControl {
    NIMBRELL_CLASS(TvxScrollBar)
public:
    explicit TvxScrollBar(TvxComponent* owner);

    float SmallChange() const { return m_smallChange; }
    void SetSmallChange(float value) { m_smallChange = value; }

    void Realign() override;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    void ValueChanged() override;
    void BoundsChanged() override { Realign(); }
    void OrientationChanged() override;

private:
    void BindButton(const char* name, float direction);

    float m_smallChange { 1 };
    TvxCustomTrack* m_track { nullptr };
    bool m_syncing { false };
};

class TvxSmallScrollBar : public TvxScrollBar {
    NIMBRELL_CLASS(TvxSmallScrollBar)
public:
    explicit TvxSmallScrollBar(TvxComponent* owner);
};

}
