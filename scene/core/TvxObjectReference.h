// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A non-owning reference to a scene object that empties itself when the object is
// destroyed (through the object's free notifications), so it never dangles.

#include "scene/core/TvxComponent.h"

#include <functional>

namespace nimbrell {

class TvxObject;

class TvxObjectReference final : public IFreeNotifyTarget {
public:
    TvxObjectReference() = default;
    ~TvxObjectReference();
    TvxObjectReference(const TvxObjectReference&) = delete;
    TvxObjectReference& operator=(const TvxObjectReference&) = delete;

    TvxObject* Get() const { return m_object; }
    template<typename T>
    T* As() const { return static_cast<T*>(m_object); }
    // Registers with the new object and unregisters from the previous one.
    void Set(TvxObject* object);

    // Told after the referenced object was destroyed and the reference emptied.
    std::function<void()> OnCleared;

    void FreeNotification(TvxObject& destroyed) override;

private:
    TvxObject* m_object { nullptr };
};

}
