// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxSpinBox.h"

#include "platform/Message.h"
#include "scene/controls/SpinValue.h"

#include <cmath>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxSpinBox, TvxCustomTextBox)
{
    c.Float("Value", &TvxSpinBox::Value, &TvxSpinBox::SetValue);
    c.Float("Min", &TvxSpinBox::Min, &TvxSpinBox::SetMin);
    c.Float("Max", &TvxSpinBox::Max, &TvxSpinBox::SetMax).StoredWhen([](const TvxSpinBox& s) { return s.Max() != 10; });
    c.Float("Increment", &TvxSpinBox::Increment, &TvxSpinBox::SetIncrement).StoredWhen([](const TvxSpinBox& s) { return s.Increment() != 1; });
    c.Enum("ValueType", &TvxSpinBox::ValueType, &TvxSpinBox::SetValueType).Default(TvxValueType::vgValueInteger);
    c.Integer("DecimalDigits", &TvxSpinBox::DecimalDigits, &TvxSpinBox::SetDecimalDigits).Default(2);
}

TvxSpinBox::TvxSpinBox(TvxComponent* owner)
    : TvxCustomTextBox(owner)
{
    SetFilterChar("0123456789.,-+");
    SetTextAlign(TvxTextAlign::vgTextAlignCenter);
    ShowText(u"0");
}

void TvxSpinBox::ShowText(const std::u16string& text)
{
    bool pending = NeedChange();
    Model().SetText(text);
    SetNeedChange(pending);
}

void TvxSpinBox::SetValue(double value)
{
    if (std::isnan(value) || value == m_value)
        return;
    m_value = ClampSpinValue(value, m_min, m_max);
    bool fractions = m_valueType == TvxValueType::vgValueFloat && IsFractional(m_value);
    ShowText(fractions ? FixedText(m_value, m_decimalDigits) : TruncatedText(m_value));
    ClearSelection();
}

void TvxSpinBox::SetValueType(TvxValueType value)
{
    m_valueType = value;
    if (value == TvxValueType::vgValueInteger && IsFractional(m_increment))
        m_increment = 1;
}

void TvxSpinBox::Change()
{
    double value = m_value;
    if (auto typed = ParseSpinText(Model().Text()))
        value = ClampSpinValue(*typed, m_min, m_max);
    if (std::isnan(value))
        value = m_value;
    m_value = value;
    bool fractions = m_valueType == TvxValueType::vgValueFloat && IsFractional(value);
    ShowText(fractions ? GeneralText(value) : TruncatedText(value));
    TvxCustomTextBox::Change();
}

void TvxSpinBox::Step(double by)
{
    SetFocus();
    SetValue(m_value + by);
    SetNeedChange(true);
    Change();
}

bool TvxSpinBox::SpecialKey(int key)
{
    if (key == platform::VK_UP) {
        SetValue(m_value + m_increment);
        return true;
    }
    if (key == platform::VK_DOWN) {
        SetValue(m_value - m_increment);
        return true;
    }
    return false;
}

void TvxSpinBox::ResourceApplied()
{
    TvxCustomTextBox::ResourceApplied();
    m_minus = StylePart<TvxVisualObject>("minusbutton");
    m_plus = StylePart<TvxVisualObject>("plusbutton");
    if (m_minus)
        m_minus->OnClick.Set([this](TvxObject*) { Step(-m_increment); });
    if (m_plus)
        m_plus->OnClick.Set([this](TvxObject*) { Step(m_increment); });
}

void TvxSpinBox::ResourceReleasing()
{
    if (m_minus)
        m_minus->OnClick.Clear();
    if (m_plus)
        m_plus->OnClick.Clear();
    m_minus = m_plus = nullptr;
    TvxCustomTextBox::ResourceReleasing();
}

}
