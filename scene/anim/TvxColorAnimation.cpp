// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/TvxColorAnimation.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxColorAnimation, TvxAnimation)
{
    c.Text("StartValue", &TvxColorAnimation::StartValue, &TvxColorAnimation::SetStartValue);
    c.Text("StopValue", &TvxColorAnimation::StopValue, &TvxColorAnimation::SetStopValue);
    c.Text("PropertyName", &TvxColorAnimation::PropertyName, &TvxColorAnimation::SetPropertyName);
    c.Enum("StartFromCurrent", &TvxColorAnimation::StartFromCurrent, &TvxColorAnimation::SetStartFromCurrent).Default(false);
}

TvxColorAnimation::TvxColorAnimation(TvxComponent* owner)
    : TvxAnimation(owner)
{
}

void TvxColorAnimation::SetPropertyName(std::string_view value)
{
    if (value == m_propertyName)
        return;
    m_propertyName = std::string(value);
    m_target.Forget();
}

// The target is kept between runs, but a path is relative to the parent: a new parent
// resolves it again.
void TvxColorAnimation::ParentChanged()
{
    TvxAnimation::ParentChanged();
    m_target.Forget();
}

void TvxColorAnimation::Start()
{
    if (!m_propertyName.empty() && Parent() && !m_target.Resolved())
        m_target.Resolve(*Parent(), m_propertyName);
    if (m_startFromCurrent) {
        if (const PropertyInfo* text = m_target.Property(PropertyKind::Text))
            m_startValue = ColorFromText(text->GetText(*m_target.Holder()));
        if (const PropertyInfo* integer = m_target.Property(PropertyKind::Integer))
            m_startValue = static_cast<TvxColor>(integer->GetInteger(*m_target.Holder()));
    }
    TvxAnimation::Start();
}

void TvxColorAnimation::ProcessAnimation()
{
    if (!m_target.Resolved())
        return;
    TvxColor color = InterpolateColor(m_startValue, m_stopValue, NormalizedTime());
    if (const PropertyInfo* text = m_target.Property(PropertyKind::Text); text && text->CanWrite())
        text->SetText(*m_target.Holder(), ColorToText(color));
    if (const PropertyInfo* integer = m_target.Property(PropertyKind::Integer); integer && integer->CanWrite())
        integer->SetInteger(*m_target.Holder(), static_cast<std::int64_t>(color));
}

}
