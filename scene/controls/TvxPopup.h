// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A control that, while open, lives in a window of its own (TvxPopupForm) above
// everything else, placed next to its placement target. Closed, it is an
// invisible child of whatever made it. Opening and closing start its 'IsOpen'
// triggers; a close waits for the animations they started (a fade) before the
// window goes. Unless it stays open, Escape, its window losing activation and
// closing its window close it.

#include "scene/controls/TvxControl.h"
#include "scene/core/TvxObjectReference.h"

#include <memory>

namespace nimbrell {

namespace platform {
class Timer;
struct ScreenPoint;
}

class TvxPopupForm;
class TvxResources;

enum class TvxPlacement {
    vgPlacementBottom,
    vgPlacementTop,
    vgPlacementLeft,
    vgPlacementRight,
    vgPlacementCenter,
    vgPlacementBottomCenter,
    vgPlacementTopCenter,
    vgPlacementAbsolute,
    vgPlacementMouse
};

class TvxPopup : public TvxControl {
    NIMBRELL_CLASS(TvxPopup)
public:
    explicit TvxPopup(TvxComponent* owner);
    ~TvxPopup() override;

    bool IsOpen() const { return m_isOpen; }
    void SetIsOpen(bool value);
    // Opens; opening an open popup closes it instead.
    void Popup();
    void ClosePopup();
    // A close waits for the closing animations.
    bool Closing() const { return m_closing; }

    bool StaysOpen() const { return m_staysOpen; }
    void SetStaysOpen(bool value) { m_staysOpen = value; }
    TvxPlacement Placement() const { return m_placement; }
    void SetPlacement(TvxPlacement value) { m_placement = value; }
    TvxVisualObject* PlacementTarget() const;
    void SetPlacementTarget(TvxVisualObject* target) { m_placementTarget.Set(target); }
    // In the target's coordinates; an empty one is not used.
    const TvxRect& PlacementRectangle() const { return m_placementRectangle; }
    void SetPlacementRectangle(const TvxRect& rect) { m_placementRectangle = rect; }
    float HorizontalOffset() const { return m_horizontalOffset; }
    void SetHorizontalOffset(float value) { m_horizontalOffset = value; }
    float VerticalOffset() const { return m_verticalOffset; }
    void SetVerticalOffset(float value) { m_verticalOffset = value; }
    // The style container of the popup's scene; none: that of the scene it came from.
    TvxResources* Style() const { return m_style; }
    void SetStyle(TvxResources* style) { m_style = style; }

    // The window while open, else none.
    TvxPopupForm* PopupForm() const { return m_form.get(); }

    void DialogKey(int& key, TvxShiftState shift) override;

    TvxNotifyEvent OnClosePopup;
    // A close begins (before its fade).
    TvxNotifyEvent OnBeginClose;

protected:
    void BeforeDestruction() override;

private:
    platform::ScreenPoint Anchor(int width, int height);
    // The 'IsOpen' triggers of the popup and of the controls it holds.
    void StartOpenTriggers();
    bool AnimationsRunning();
    void FinishClose();

    std::unique_ptr<TvxPopupForm> m_form;
    std::unique_ptr<platform::Timer> m_closeWait;
    TvxObjectReference m_saveParent;
    int m_saveIndex { -1 };
    TvxPoint m_saveScale { 1, 1 };
    TvxObjectReference m_placementTarget;
    TvxRect m_placementRectangle {};
    TvxResources* m_style { nullptr };
    TvxPlacement m_placement { TvxPlacement::vgPlacementBottom };
    float m_horizontalOffset { 0 };
    float m_verticalOffset { 0 };
    bool m_isOpen { false };
    bool m_staysOpen { false };
    bool m_closing { false };
};

}

NIMBRELL_ENUM(nimbrell::TvxPlacement, "vgPlacementBottom", "vgPlacementTop", "vgPlacementLeft", "vgPlacementRight",
    "vgPlacementCenter", "vgPlacementBottomCenter", "vgPlacementTopCenter", "vgPlacementAbsolute", "vgPlacementMouse")
