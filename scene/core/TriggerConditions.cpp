// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TriggerConditions.h"

#include "base/Text.h"
#include "scene/core/TvxPersistent.h"

namespace nimbrell {

bool TriggerMentions(std::string_view triggerString, std::string_view triggerName)
{
    return AsciiLower(triggerString).find(AsciiLower(triggerName)) != std::string::npos;
}

void CompareTriggerConditions(const TvxPersistent& instance, std::string_view triggerString, const std::function<void(bool holds)>& compared)
{
    std::string_view rest = triggerString;
    while (true) {
        std::size_t separator = rest.find(';');
        std::string_view token = TrimAsciiWhitespace(rest.substr(0, separator));
        if (token.empty())
            break;
        std::size_t equals = token.find('=');
        std::string_view name = TrimAsciiWhitespace(token.substr(0, equals));
        std::string_view value = equals == std::string_view::npos ? std::string_view() : TrimAsciiWhitespace(token.substr(equals + 1));
        const PropertyInfo* property = instance.Class().FindProperty(name);
        if (property && property->Kind() == PropertyKind::Enumeration)
            compared(EqualsIgnoringAsciiCase(property->GetIdentifier(instance), value));
        if (separator == std::string_view::npos)
            break;
        rest = rest.substr(separator + 1);
    }
}

bool TriggerConditionsHold(const TvxPersistent& instance, std::string_view triggerString)
{
    bool any = false;
    bool all = true;
    CompareTriggerConditions(instance, triggerString, [&](bool holds) {
        any = true;
        all = all && holds;
    });
    return any && all;
}

bool LastTriggerConditionHolds(const TvxPersistent& instance, std::string_view triggerString)
{
    bool last = false;
    CompareTriggerConditions(instance, triggerString, [&](bool holds) { last = holds; });
    return last;
}

}
