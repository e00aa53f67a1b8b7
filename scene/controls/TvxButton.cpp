// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxButton.h"

#include "platform/Message.h"
#include "platform/Timer.h"
#include "scene/controls/ControlGeometry.h"
#include "scene/core/ISceneHost.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxCustomButton, TvxTextControl)
{
    c.Enum("IsPressed", &TvxCustomButton::IsPressed, &TvxCustomButton::SetIsPressed).Default(false);
    c.Integer("ModalResult", &TvxCustomButton::ModalResult, &TvxCustomButton::SetModalResult).Default(0);
    c.Enum("StaysPressed", &TvxCustomButton::StaysPressed, &TvxCustomButton::SetStaysPressed).Default(false);
    c.Enum("RepeatClick", &TvxCustomButton::RepeatClick, &TvxCustomButton::SetRepeatClick).Default(false);
}

NIMBRELL_DEFINE_CLASS(TvxButton, TvxCustomButton)
{
    c.Enum("Default", &TvxButton::Default, &TvxButton::SetDefault).Default(false);
    c.Enum("Cancel", &TvxButton::Cancel, &TvxButton::SetCancel).Default(false);
}

NIMBRELL_DEFINE_CLASS(TvxCircleButton, TvxButton)
{
}

NIMBRELL_DEFINE_CLASS(TvxSpeedButton, TvxCustomButton)
{
}

TvxCustomButton::TvxCustomButton(TvxComponent* owner)
    : TvxTextControl(owner)
{
    SetWidth(80);
    SetHeight(22);
    SetCanFocused(true);
    SetAutoCapture(true);
    SetAutoTranslate(true);
}

TvxCustomButton::~TvxCustomButton() = default;

void TvxCustomButton::SetPressedState(bool value)
{
    if (m_isPressed == value)
        return;
    m_isPressed = value;
    StateChanged("IsPressed");
}

void TvxCustomButton::SetIsPressed(bool value)
{
    if (!m_staysPressed)
        return;
    SetPressedState(value);
}

void TvxCustomButton::ResourceApplied()
{
    TvxTextControl::ResourceApplied();
    StateChanged("IsPressed");
}

void TvxCustomButton::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxTextControl::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft)
        return;
    m_pressing = true;
    if (m_staysPressed) {
        m_isPressed = !m_isPressed;
    } else {
        m_isPressed = true;
        if (m_repeat) {
            if (!m_repeatTimer)
                m_repeatTimer = std::make_unique<platform::Timer>([this] { RepeatTick(); });
            m_repeatTimer->SetEnabled(false);
            m_repeatTimer->SetInterval(kRepeatDelay);
            m_repeatTimer->SetEnabled(true);
        }
    }
    StateChanged("IsPressed");
}

void TvxCustomButton::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxTextControl::MouseMove(shift, x, y);
    if (!(shift & kLeftButton) || !m_pressing || m_staysPressed)
        return;
    SetPressedState(InsideWithEdges(LocalRect(), x, y));
}

void TvxCustomButton::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    if (m_pressing) {
        if (m_repeatTimer)
            m_repeatTimer->SetEnabled(false);
        m_pressing = false;
        if (!m_staysPressed) {
            m_isPressed = false;
            StateChanged("IsPressed");
        }
    }
    TvxTextControl::MouseUp(button, shift, x, y);
}

void TvxCustomButton::RepeatTick()
{
    if (m_repeatTimer->Interval() == kRepeatDelay) {
        m_repeatTimer->SetInterval(kRepeatInterval);
        return;
    }
    DoClick();
}

void TvxCustomButton::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    TvxTextControl::KeyDown(key, keyChar, shift);
    if (key == platform::VK_RETURN || key == platform::VK_SPACE)
        DoClick();
}

void TvxCustomButton::DoDblClick()
{
    TvxTextControl::DoDblClick();
    DoClick();
}

void TvxCustomButton::DoClick()
{
    if (m_modalResult != 0 && Scene())
        Scene()->SetFormModalResult(m_modalResult);
    TvxTextControl::DoClick();
}

TvxButton::TvxButton(TvxComponent* owner)
    : TvxCustomButton(owner)
{
}

void TvxButton::DialogKey(int& key, TvxShiftState shift)
{
    if ((m_default && key == platform::VK_RETURN) || (m_cancel && key == platform::VK_ESCAPE)) {
        DoClick();
        key = 0;
        return;
    }
    TvxCustomButton::DialogKey(key, shift);
}

TvxCircleButton::TvxCircleButton(TvxComponent* owner)
    : TvxButton(owner)
{
    SetWidth(21);
    SetHeight(21);
}

TvxSpeedButton::TvxSpeedButton(TvxComponent* owner)
    : TvxCustomButton(owner)
{
    SetWidth(23);
    SetHeight(23);
    SetCanFocused(false);
    SetRepeatClick(true);
}

}
