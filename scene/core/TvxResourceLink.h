// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A link from a holder (a brush, a bitmap) to a named resource object: the object
// itself while one is held, else the newest stored object of that resource name
// in the process-wide registry, found on use and held from then on. The held
// object is let go when it is destroyed or when the name changes to another.

#include "base/Text.h"
#include "scene/core/TvxObject.h"
#include "scene/core/TvxObjectReference.h"

#include <string>
#include <string_view>

namespace nimbrell {

class TvxResourceLink {
public:
    template<typename T>
    T* Held() const { return m_reference.As<T>(); }
    const std::string& Name() const { return m_name; }

    void Set(TvxObject* object, std::string name)
    {
        m_reference.Set(object);
        m_name = std::move(name);
    }

    // False when the name is the same; a held object of another name is let go.
    bool SetName(std::string_view name)
    {
        if (m_name == name)
            return false;
        m_name = std::string(name);
        if (TvxObject* held = m_reference.Get(); held && !EqualsIgnoringAsciiCase(held->ResourceName(), m_name))
            m_reference.Set(nullptr);
        return true;
    }

    template<typename T>
    T* Resolve() const
    {
        if (T* held = Held<T>())
            return held;
        if (m_name.empty())
            return nullptr;
        auto* found = dynamic_cast<T*>(TvxObject::FindRegisteredResource(m_name));
        if (found)
            m_reference.Set(found);
        return found;
    }

private:
    mutable TvxObjectReference m_reference;
    std::string m_name;
};

}
