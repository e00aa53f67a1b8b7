// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/TvxEffect.h"

#include "scene/core/TriggerConditions.h"

#include "base/Text.h"
#include "scene/core/PropertyTable.h"
#include "scene/visual/TvxVisualObject.h"

#include <algorithm>
#include <cctype>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxEffect, TvxObject)
{
    c.Enum("Enabled", &TvxEffect::Enabled, &TvxEffect::SetEnabled).Default(true);
    c.Text("Trigger", &TvxEffect::Trigger, &TvxEffect::SetTrigger);
    c.Enum("DisablePaint", &TvxEffect::DisablePaint, &TvxEffect::SetDisablePaint).Default(false);
    c.Enum("AfterPaint", &TvxEffect::AfterPaint, &TvxEffect::SetAfterPaint).Default(false);
}

TvxEffect::TvxEffect(TvxComponent* owner)
    : TvxObject(owner)
{
}

TvxVisualObject* TvxEffect::DecoratedObject() const
{
    return Parent() ? Parent()->Visual() : nullptr;
}

void TvxEffect::Changed()
{
    if (HasState(ComponentState::Loading))
        return;
    TvxVisualObject* parent = DecoratedObject();
    if (!parent)
        return;
    m_forceEnabled = true;
    parent->EffectChanged();
    m_forceEnabled = false;
    parent->RecalcHasEffects();
    parent->RecalcUpdateRect();
}

void TvxEffect::SetEnabled(bool value)
{
    UpdateField(m_enabled, value);
}

void TvxEffect::SetDisablePaint(bool value)
{
    UpdateField(m_disablePaint, value);
}

void TvxEffect::SetAfterPaint(bool value)
{
    UpdateField(m_afterPaint, value);
}

void TvxEffect::Loaded()
{
    TvxObject::Loaded();
    Changed();
}

void TvxEffect::ApplyTrigger(TvxObject* instance, std::string_view trigger)
{
    if (m_trigger.empty() || !instance || !TriggerMentions(m_trigger, trigger))
        return;
    SetEnabled(LastTriggerConditionHolds(*instance, m_trigger));
}

}
