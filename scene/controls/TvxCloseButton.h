// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The close button of a window's scene: a left press on it and a release on it
// close the window hosting the scene (with CloseForm) and fire OnClick. It holds
// the mouse from the press to the release, so a press that leaves and comes back
// still counts, and a release elsewhere ends the press without closing.

#include "scene/controls/TvxControl.h"

namespace nimbrell {

class TvxCloseButton : public TvxControl {
    NIMBRELL_CLASS(TvxCloseButton)
public:
    explicit TvxCloseButton(TvxComponent* owner);

    bool CloseForm() const { return m_closeForm; }
    void SetCloseForm(bool value) { m_closeForm = value; }

    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    // Its click is the release above, not the visual object's click rule.
    void DoClick() override { }

private:
    bool m_pressing { false };
    bool m_closeForm { true };
};

}
