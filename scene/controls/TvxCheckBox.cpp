// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxCheckBox.h"

#include "platform/Message.h"
#include "scene/controls/ControlGeometry.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxCheckBox, TvxTextControl)
{
    c.Enum("IsPressed", &TvxCheckBox::IsPressed);
    c.Enum("IsChecked", &TvxCheckBox::IsChecked, &TvxCheckBox::SetIsChecked).Default(false);
    c.Event("OnChange", &TvxCheckBox::OnChange);
}

TvxCheckBox::TvxCheckBox(TvxComponent* owner)
    : TvxTextControl(owner)
{
    SetWidth(120);
    SetHeight(19);
    SetCanFocused(true);
    SetAutoCapture(true);
    SetTextAlign(TvxTextAlign::vgTextAlignNear);
    SetAutoTranslate(true);
}

void TvxCheckBox::ResourceApplied()
{
    TvxTextControl::ResourceApplied();
    StartTriggerAnimation(this, "IsChecked");
}

void TvxCheckBox::SetIsChecked(bool value)
{
    if (m_isChecked == value)
        return;
    m_isChecked = value;
    StateChanged("IsChecked");
    OnChange(this);
}

void TvxCheckBox::SetPressedState(bool value)
{
    if (m_isPressed == value)
        return;
    m_isPressed = value;
    StartTriggerAnimation(this, "IsPressed");
}

void TvxCheckBox::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxTextControl::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft)
        return;
    m_pressing = true;
    m_isPressed = true;
    StartTriggerAnimation(this, "IsPressed");
}

void TvxCheckBox::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxTextControl::MouseMove(shift, x, y);
    if ((shift & kLeftButton) && m_pressing)
        SetPressedState(InsideWithEdges(LocalRect(), x, y));
}

void TvxCheckBox::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxTextControl::MouseUp(button, shift, x, y);
    if (!m_pressing)
        return;
    m_pressing = false;
    m_isPressed = false;
    if (InsideWithEdges(LocalRect(), x, y))
        SetIsChecked(!m_isChecked);
}

void TvxCheckBox::KeyDown(int& key, char32_t& keyChar, TvxShiftState shift)
{
    TvxTextControl::KeyDown(key, keyChar, shift);
    if (key == platform::VK_RETURN || key == platform::VK_SPACE)
        SetIsChecked(!m_isChecked);
}

void TvxCheckBox::SetData(const TvxVariant& value)
{
    if (const auto* flag = std::get_if<bool>(&value))
        SetIsChecked(*flag);
}

}
