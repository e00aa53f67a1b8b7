// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A number in a text box, with the style's 'minusbutton' and 'plusbutton' to
// step it. Value is kept within Min .. Max; the text shows it truncated toward
// zero unless the box holds fractions (vgValueFloat).

#include "scene/controls/TvxCustomTextBox.h"

namespace nimbrell {

enum class TvxValueType {
    vgValueInteger,
    vgValueFloat
};

class TvxSpinBox : public TvxCustomTextBox {
    NIMBRELL_CLASS(TvxSpinBox)
public:
    explicit TvxSpinBox(TvxComponent* owner);

    double Value() const { return m_value; }
    // Fires no OnChange.
    void SetValue(double value);
    // Bounds apply at the next Value write or Change.
    double Min() const { return m_min; }
    void SetMin(double value) { m_min = value; }
    double Max() const { return m_max; }
    void SetMax(double value) { m_max = value; }
    double Increment() const { return m_increment; }
    void SetIncrement(double value) { m_increment = value; }
    TvxValueType ValueType() const { return m_valueType; }
    void SetValueType(TvxValueType value);
    int DecimalDigits() const { return m_decimalDigits; }
    void SetDecimalDigits(int value) { m_decimalDigits = value; }

    // Reads the text back into Value, then fires OnChange after an edit.
    void Change() override;

protected:
    void ResourceApplied() override;
    void ResourceReleasing() override;
    bool SpecialKey(int key) override;

private:
    void Step(double by);
    // Shows text without counting it as an edit.
    void ShowText(const std::u16string& text);

    TvxVisualObject* m_minus { nullptr };
    TvxVisualObject* m_plus { nullptr };
    double m_value { 0 };
    double m_min { 0 };
    double m_max { 10 };
    double m_increment { 1 };
    TvxValueType m_valueType { TvxValueType::vgValueInteger };
    int m_decimalDigits { 2 };
};

}

NIMBRELL_ENUM(nimbrell::TvxValueType, "vgValueInteger", "vgValueFloat")
