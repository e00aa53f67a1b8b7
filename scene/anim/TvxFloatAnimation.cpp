// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/TvxFloatAnimation.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxFloatAnimation, TvxAnimation)
{
    c.Float("StartValue", &TvxFloatAnimation::StartValue, &TvxFloatAnimation::SetStartValue);
    c.Float("StopValue", &TvxFloatAnimation::StopValue, &TvxFloatAnimation::SetStopValue);
    c.Text("PropertyName", &TvxFloatAnimation::PropertyName, &TvxFloatAnimation::SetPropertyName);
    c.Enum("StartFromCurrent", &TvxFloatAnimation::StartFromCurrent, &TvxFloatAnimation::SetStartFromCurrent).Default(false);
}

TvxFloatAnimation::TvxFloatAnimation(TvxComponent* owner)
    : TvxAnimation(owner)
{
}

void TvxFloatAnimation::SetPropertyName(std::string_view value)
{
    if (value == m_propertyName)
        return;
    m_propertyName = std::string(value);
    m_target.Forget();
}

void TvxFloatAnimation::ParentChanged()
{
    TvxAnimation::ParentChanged();
    m_target.Forget();
}

void TvxFloatAnimation::Start()
{
    if (!m_propertyName.empty() && Parent() && !m_target.Resolved())
        m_target.Resolve(*Parent(), m_propertyName);
    if (m_startFromCurrent) {
        if (const PropertyInfo* property = m_target.Property(PropertyKind::Float))
            m_startValue = property->GetFloat(*m_target.Holder());
    }
    TvxAnimation::Start();
}

void TvxFloatAnimation::Stop()
{
    TvxAnimation::Stop();
    m_target.Forget();
}

void TvxFloatAnimation::ProcessAnimation()
{
    const PropertyInfo* property = m_target.Property(PropertyKind::Float);
    if (!property || !property->CanWrite())
        return;
    long double start = m_startValue;
    long double value = start + (static_cast<long double>(m_stopValue) - start) * NormalizedTime();
    property->SetFloat(*m_target.Holder(), static_cast<float>(value));
}

}
