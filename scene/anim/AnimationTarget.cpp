// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/AnimationTarget.h"

#include "base/Text.h"
#include "scene/core/TvxObject.h"

namespace nimbrell {

AnimationTarget::AnimationTarget()
{
    m_owner.OnCleared = [this] { m_holder = nullptr; };
}

void AnimationTarget::Resolve(TvxObject& parent, std::string_view path)
{
    TvxPersistent* holder = &parent;
    TvxObject* owner = &parent;
    std::string_view rest = path;
    for (std::size_t dot = rest.find('.'); dot != std::string_view::npos && holder; dot = rest.find('.')) {
        std::string_view segment = TrimAsciiWhitespace(rest.substr(0, dot));
        rest = TrimAsciiWhitespace(rest.substr(dot + 1));
        const PropertyInfo* property = holder->Class().FindProperty(segment);
        if (!property || !property->IsObjectKind())
            continue;
        holder = property->GetObject(*holder);
        if (auto* object = dynamic_cast<TvxObject*>(holder))
            owner = object;
    }
    m_name = std::string(TrimAsciiWhitespace(rest));
    m_holder = holder;
    m_owner.Set(holder ? owner : nullptr);
}

void AnimationTarget::Forget()
{
    m_holder = nullptr;
    m_owner.Set(nullptr);
}

const PropertyInfo* AnimationTarget::Property(PropertyKind kind) const
{
    if (!m_holder)
        return nullptr;
    const PropertyInfo* property = m_holder->Class().FindProperty(m_name);
    if (!property || property->Kind() != kind)
        return nullptr;
    return property;
}

}
