// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Buttons: a left press holds IsPressed while the pointer stays on the button (or toggles
// it with StaysPressed), a release on the button clicks, and a RepeatClick button clicks
// again and again while it is held (first after 500 ms, then every 100 ms).

#include "scene/controls/TvxTextControl.h"

#include <memory>

namespace nimbrell {

namespace platform {
class Timer;
}

class TvxCustomButton : public TvxTextControl {
    NIMBRELL_CLASS(TvxCustomButton)
public:
    static constexpr std::uint32_t kRepeatDelay = 500;
    static constexpr std::uint32_t kRepeatInterval = 100;

    explicit TvxCustomButton(TvxComponent* owner);
    ~TvxCustomButton() override;

    bool IsPressed() const { return m_isPressed; }
    // Takes effect only with StaysPressed.
    void SetIsPressed(bool value);
    bool StaysPressed() const { return m_staysPressed; }
    void SetStaysPressed(bool value) { m_staysPressed = value; }
    bool RepeatClick() const { return m_repeat; }
    void SetRepeatClick(bool value) { m_repeat = value; }
    // Given to the window hosting the scene on every click (0: none).
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int value) { m_modalResult = value; }

    void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void MouseMove(TvxShiftState shift, float x, float y) override;
    void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y) override;
    void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift) override;
    void DoClick() override;
    void DoDblClick() override;

protected:
    void ResourceApplied() override;

private:
    void SetPressedState(bool value);
    void RepeatTick();

    bool m_pressing { false };
    bool m_isPressed { false };
    int m_modalResult { 0 };
    bool m_staysPressed { false };
    std::unique_ptr<platform::Timer> m_repeatTimer;
    bool m_repeat { false };
};

// A push button; Enter clicks a Default button and Escape a Cancel button.
class TvxButton : public TvxCustomButton {
    NIMBRELL_CLASS(TvxButton)
public:
    explicit TvxButton(TvxComponent* owner);

    bool Default() const { return m_default; }
    void SetDefault(bool value) { m_default = value; }
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool value) { m_cancel = value; }

    void DialogKey(int& key, TvxShiftState shift) override;

private:
    bool m_default { false };
    bool m_cancel { false };
};

class TvxCircleButton : public TvxButton {
    NIMBRELL_CLASS(TvxCircleButton)
public:
    explicit TvxCircleButton(TvxComponent* owner);
};

// A tool button: it never takes the focus and repeats its click while held.
class TvxSpeedButton : public TvxCustomButton {
    NIMBRELL_CLASS(TvxSpeedButton)
public:
    explicit TvxSpeedButton(TvxComponent* owner);
};

}
