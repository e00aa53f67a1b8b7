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

class TvxCustomTrack : public TvxControl {
    NIMBRELL_CLASS(TvxCustomTrack)
public:
    explicit TvxCustomTrack(TvxComponent* owner);

    const ScrollRange& Range() const { return m_range; }
    float Value() const { return m_range.Value(); }
    void SetValue(float value);
    float Min() const { return m_range.Min(); }
    void SetMin(float value);
    float Max() const { return m_range.Max(); }
    void SetMax(float value);
    float ViewportSize() const { return m_range.ViewportSize(); }
    void SetViewportSize(float value);
    float Frequency() const { return m_frequency; }
    void SetFrequency(float value) { m_frequency = value; }
    TvxOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TvxOrientation value);
    bool Tracking() const { return m_tracking; }
    void SetTracking(bool value) { m_tracking = value; }

    // The length the thumb moves along, and a point's position along it
    // (absolute coordinates in, track-local position out).
    float TrackLength() const;
    float PositionAlong(TvxPoint absolute);

    void Realign() override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;

    TvxNotifyEvent OnChange;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;

private:
    // After a bound changed; valueMoved: the value had to follow it.
    void RangeChanged(bool valueMoved);
    void PlaceThumb();
    bool Horizontal() const { return m_orientation == TvxOrientation::vgHorizontal; }

    ScrollRange m_range;
    TvxThumb* m_thumb { nullptr };
    float m_frequency { 0 };
    TvxOrientation m_orientation { TvxOrientation::vgHorizontal };
    bool m_tracking { true };
};

class TvxTrack : public TvxCustomTrack {
    NIMBRELL_CLASS(TvxTrack)
public:
    explicit TvxTrack(TvxComponent* owner);
};

class TvxScrollBar : public TvxControl {
    NIMBRELL_CLASS(TvxScrollBar)
public:
    explicit TvxScrollBar(TvxComponent* owner);

    float Value() const { return m_range.Value(); }
    void SetValue(float value);
    float Min() const { return m_range.Min(); }
    void SetMin(float value);
    float Max() const { return m_range.Max(); }
    void SetMax(float value);
    float ViewportSize() const { return m_range.ViewportSize(); }
    void SetViewportSize(float value);
    float SmallChange() const { return m_smallChange; }
    void SetSmallChange(float value) { m_smallChange = value; }
    TvxOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TvxOrientation value);

    void Realign() override;

    TvxNotifyEvent OnChange;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;

private:
    void Changed();
    void RangeChanged(bool valueMoved);
    void BindButton(const char* name, float direction);

    ScrollRange m_range;
    float m_smallChange { 1 };
    TvxOrientation m_orientation { TvxOrientation::vgHorizontal };
    TvxCustomTrack* m_track { nullptr };
    bool m_syncing { false };
};

class TvxSmallScrollBar : public TvxScrollBar {
    NIMBRELL_CLASS(TvxSmallScrollBar)
public:
    explicit TvxSmallScrollBar(TvxComponent* owner);
};

}
