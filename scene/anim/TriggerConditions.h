#pragma once

// Trigger strings: conditions separated by ";", each a state property name, "=" and the
// name of the value it must have ("IsMouseOver=true;IsPressed=false").

#include <string_view>

namespace nimbrell {

class TvxPersistent;

// Whether the lower-cased trigger name occurs anywhere in the lower-cased trigger string.
bool TriggerMentions(std::string_view triggerString, std::string_view triggerName);

// Conditions on names that are not enumeration properties of the instance are skipped;
// the others compare the property's value name without regard to case. Holds when at
// least one condition was compared and none failed. An empty condition ends the list.
bool TriggerConditionsHold(const TvxPersistent& instance, std::string_view triggerString);

}
