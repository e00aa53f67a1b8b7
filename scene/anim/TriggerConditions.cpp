#include "scene/anim/TriggerConditions.h"

#include "platform/Text.h"
#include "scene/core/TvxPersistent.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace nimbrell {

namespace {

std::string Lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}

bool TriggerMentions(std::string_view triggerString, std::string_view triggerName)
{
    return Lower(triggerString).find(Lower(triggerName)) != std::string::npos;
}

bool TriggerConditionsHold(const TvxPersistent& instance, std::string_view triggerString)
{
    bool compared = false;
    std::string_view rest = triggerString;
    while (true) {
        std::size_t separator = rest.find(';');
        std::string_view token = platform::TrimAsciiWhitespace(rest.substr(0, separator));
        if (token.empty())
            break;
        std::size_t equals = token.find('=');
        std::string_view name = platform::TrimAsciiWhitespace(token.substr(0, equals));
        std::string_view value = equals == std::string_view::npos ? std::string_view() : platform::TrimAsciiWhitespace(token.substr(equals + 1));
        const PropertyInfo* property = instance.Class().FindProperty(name);
        if (property && property->Kind() == PropertyKind::Enumeration) {
            if (!platform::EqualsIgnoringAsciiCase(property->GetIdentifier(instance), value))
                return false;
            compared = true;
        }
        if (separator == std::string_view::npos)
            break;
        rest = rest.substr(separator + 1);
    }
    return compared;
}

}
