// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An event property: a handler, and the name of the window method it is bound to when
// it came from a stream (or was bound by name).

#include "scene/core/TvxComponent.h"

#include <any>
#include <functional>
#include <string>
#include <string_view>
#include <typeindex>

namespace nimbrell {

template<typename... Args>
class TvxEvent {
public:
    using Handler = std::function<void(Args...)>;

    explicit operator bool() const { return static_cast<bool>(m_handler); }
    void operator()(Args... args) const
    {
        if (m_handler)
            m_handler(args...);
    }

    // A handler set by program code carries no method name and is not stored.
    void Set(Handler handler, std::string methodName = {})
    {
        m_handler = std::move(handler);
        m_methodName = std::move(methodName);
    }
    void Clear() { Set(nullptr); }
    const std::string& MethodName() const { return m_methodName; }

    // Binds to the published method of that name of owner; false when it has none with
    // this signature. An empty name clears the handler.
    bool Bind(TvxComponent* owner, std::string_view methodName)
    {
        if (methodName.empty()) {
            Clear();
            return true;
        }
        if (!owner)
            return false;
        const MethodInfo* method = owner->Class().FindMethod(methodName);
        if (!method || method->signature != std::type_index(typeid(Handler)))
            return false;
        Set(std::any_cast<Handler>(method->bind(*owner)), method->name);
        return true;
    }

private:
    Handler m_handler;
    std::string m_methodName;
};

}
