#include "scene/shapes/TvxEffect.h"

#include "platform/Text.h"
#include "scene/core/PropertyTable.h"
#include "scene/core/TvxVisualObject.h"

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

namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    return out;
}

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
    if (m_trigger.empty() || !instance || Lower(m_trigger).find(Lower(trigger)) == std::string::npos)
        return;
    bool outcome = false;
    std::string_view rest = m_trigger;
    while (!rest.empty()) {
        std::size_t cut = rest.find(';');
        std::string_view token = platform::TrimAsciiWhitespace(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view {} : rest.substr(cut + 1);
        if (token.empty())
            break;
        std::size_t eq = token.find('=');
        std::string_view name = platform::TrimAsciiWhitespace(token.substr(0, eq));
        std::string_view value = eq == std::string_view::npos ? std::string_view {} : platform::TrimAsciiWhitespace(token.substr(eq + 1));
        const PropertyInfo* property = instance->Class().FindProperty(name);
        if (!property || property->Kind() != PropertyKind::Enumeration)
            continue;
        outcome = platform::EqualsIgnoringAsciiCase(property->GetIdentifier(*instance), value);
    }
    SetEnabled(outcome);
}

}
