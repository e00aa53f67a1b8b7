// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Trigger strings: conditions separated by ";", each a state property name, "=" and the
// name of the value it must have ("IsMouseOver=true;IsPressed=false").

#include <functional>
#include <string_view>

namespace nimbrell {

class TvxPersistent;

// Whether the trigger name occurs anywhere in the trigger string, ignoring ASCII case.
bool TriggerMentions(std::string_view triggerString, std::string_view triggerName);

// Compares each condition on an enumeration property of the instance (by value name,
// ignoring case) and tells holds in order; conditions on other names are skipped and an
// empty condition ends the list.
void CompareTriggerConditions(const TvxPersistent& instance, std::string_view triggerString, const std::function<void(bool holds)>& compared);

// Animations: at least one condition was compared and none failed.
bool TriggerConditionsHold(const TvxPersistent& instance, std::string_view triggerString);

// Effects: the outcome of the last condition compared (false when none was).
bool LastTriggerConditionHolds(const TvxPersistent& instance, std::string_view triggerString);

}
