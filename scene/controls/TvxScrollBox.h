// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A control that scrolls a content object inside its style's 'content' part
// (the viewport) with the scroll bars its style supplies. Bars appear when the
// content is larger than the viewport; the wheel scrolls three fifths of the
// viewport a notch, animated. Without ShowScrollBars the bars still scroll but are
// not shown; ShowSizeGrip shows the style's 'sizegrip' part; with MouseTracking a
// left drag moves the content with the pointer.

#include "scene/controls/TvxControl.h"

namespace nimbrell {

class TvxFloatAnimation;
class TvxScrollBar;
class TvxScrollBox;

// Holds the scrolled objects; clipped to the viewport it lies in.
class TvxScrollContent : public TvxVisualObject {
    NIMBRELL_CLASS(TvxScrollContent)
public:
    explicit TvxScrollContent(TvxComponent* owner);

    void SetScrollBox(TvxScrollBox* box) { m_box = box; }
    void AddObject(TvxObject* object) override;
    void RemoveObject(TvxObject* object) override;

private:
    TvxScrollBox* m_box { nullptr };
};

class TvxScrollBox : public TvxControl {
    NIMBRELL_CLASS(TvxScrollBox)
public:
    explicit TvxScrollBox(TvxComponent* owner);
    ~TvxScrollBox() override;

    TvxScrollContent* Content() const { return m_content; }
    bool AutoHide() const { return m_autoHide; }
    void SetAutoHide(bool value) { m_autoHide = value; }
    bool DisableMouseWheel() const { return m_disableMouseWheel; }
    void SetDisableMouseWheel(bool value) { m_disableMouseWheel = value; }
    bool Animated() const { return m_animated; }
    void SetAnimated(bool value) { m_animated = value; }
    bool UseSmallScrollBars() const { return m_useSmallScrollBars; }
    void SetUseSmallScrollBars(bool value);
    bool ShowScrollBars() const { return m_showScrollBars; }
    void SetShowScrollBars(bool value);
    bool ShowSizeGrip() const { return m_showSizeGrip; }
    void SetShowSizeGrip(bool value);
    bool MouseTracking() const { return m_mouseTracking; }
    void SetMouseTracking(bool value) { m_mouseTracking = value; }
    TvxScrollBar* VScrollBar() const { return m_vBar; }
    TvxScrollBar* HScrollBar() const { return m_hBar; }
    TvxVisualObject* Viewport() const { return m_viewport; }
    // The remembered scroll offset.
    TvxPoint ScrollOffset() const { return m_offset; }

    // Visual objects given to the box go into its content.
    void AddObject(TvxObject* object) override;
    void Realign() override;
    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseWheel(TvxShiftState shift, int delta, bool& handled) override;

protected:
    // The content leaves with the children, before the destructor runs: it is
    // told here, while both are alive, that its box is going.
    void BeforeDestruction() override;
    void ResourceApplied() override;
    void ResourceReleasing() override;
    // The content's size: by default the union of its visible objects.
    virtual TvxRect ContentExtent();
    virtual void ContentAdded(TvxObject*) { }
    virtual void ContentRemoving(TvxObject*) { }
    // After either bar scrolled.
    virtual void Scrolled() { }
    void ResetScrollOffset() { m_offset = {}; }

private:
    friend class TvxScrollContent;
    void RealignContent();
    void BarChanged(bool vertical);
    void BindBar(TvxScrollBar*& slot, TvxScrollBar* bar, bool vertical);
    // Shows a bar where its style put it, or keeps it working out of sight.
    void PlaceBar(TvxScrollBar* bar, TvxAlign designed);

    TvxScrollContent* m_content { nullptr };
    TvxVisualObject* m_viewport { nullptr };
    TvxScrollBar* m_vBar { nullptr };
    TvxScrollBar* m_hBar { nullptr };
    TvxFloatAnimation* m_scrollAnimation { nullptr };
    TvxPoint m_offset;
    // The bars' alignment in the style, given back when they are shown again.
    TvxAlign m_vBarAlign { TvxAlign::vaNone };
    TvxAlign m_hBarAlign { TvxAlign::vaNone };
    // A drag with MouseTracking: where it began and the offset then.
    TvxPoint m_downPos;
    TvxPoint m_downOffset;
    bool m_down { false };
    bool m_autoHide { true };
    bool m_disableMouseWheel { false };
    bool m_animated { true };
    bool m_useSmallScrollBars { false };
    bool m_showScrollBars { true };
    bool m_showSizeGrip { false };
    bool m_mouseTracking { false };
    bool m_realigning { false };
};

}
