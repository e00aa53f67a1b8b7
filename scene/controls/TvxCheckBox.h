// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A check box: a left press and a release on it, or Enter or Space, invert IsChecked.

#include "scene/controls/TvxTextControl.h"

namespace nimbrell {

class TvxCheckBox : public TvxTextControl {
    NIMBRELL_CLASS(TvxCheckBox)
public:
    explicit TvxCheckBox(TvxComponent* owner);

    bool IsPressed() const { return m_isPressed; }
    bool IsChecked() const { return m_isChecked; }
    void SetIsChecked(bool value);

    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;
    TvxVariant GetData() const override { return m_isChecked; }
    void SetData(const TvxVariant& value) override;

    // After IsChecked changed.
    TvxNotifyEvent OnChange;

protected:
    void ResourceApplied() override;

private:
    void SetPressedState(bool value);

    bool m_pressing { false };
    bool m_isPressed { false };
    bool m_isChecked { false };
};

}
