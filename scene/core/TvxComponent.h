// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The component model every scene object belongs to: a name unique among the
// components of its owner, an owner that frees it, a state, and the hooks the
// object stream reader calls.

#include "scene/core/TvxPersistent.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class TvxObject;

enum class ComponentState : std::uint8_t {
    Loading = 1,
    Reading = 2,
    Writing = 4,
    Destroying = 8,
    Designing = 16,
};

enum class ComponentOperation : std::uint8_t {
    Insert,
    Remove
};

// Implemented by holders that keep a reference to a scene object: told when that
// object is destroyed (registered with TvxObject::AddFreeNotify).
class IFreeNotifyTarget {
public:
    virtual void FreeNotification(TvxObject& destroyed) = 0;

protected:
    ~IFreeNotifyTarget() = default;
};

class TvxComponent;

// For a component nobody owns: frees it through TvxComponent::Free.
struct FreeComponent {
    void operator()(TvxComponent* component) const;
};
template<typename T>
using ComponentPtr = std::unique_ptr<T, FreeComponent>;

class TvxComponent : public TvxPersistent, public IFreeNotifyTarget {
    NIMBRELL_CLASS(TvxComponent)
public:
    // The new component is owned by owner (none: whoever created it frees it).
    explicit TvxComponent(TvxComponent* owner);
    ~TvxComponent() override;

    // Frees the component: runs BeforeDestruction while the whole object is alive,
    // then deletes it. Every owner, parent and holder frees through here; a component
    // destroyed directly detaches only as far as its base classes can.
    void Free();

    const std::string& Name() const { return m_name; }
    // Throws std::runtime_error "A component named %s already exists" when another
    // component of the owner has that name (compared without regard to case).
    void SetName(std::string_view name);

    TvxComponent* Owner() const { return m_owner; }
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TvxComponent* Component(int index) const { return m_components[static_cast<std::size_t>(index)]; }
    TvxComponent* FindComponent(std::string_view name) const;

    bool HasState(ComponentState state) const { return (m_state & static_cast<std::uint8_t>(state)) != 0; }
    void SetState(ComponentState state) { m_state |= static_cast<std::uint8_t>(state); }
    void ClearState(ComponentState state) { m_state &= static_cast<std::uint8_t>(~static_cast<std::uint8_t>(state)); }

    // Run once after the component and its children were read from a stream.
    virtual void Loaded();
    // Told when a component it refers to is removed.
    virtual void Notification(TvxComponent& component, ComponentOperation operation);
    void FreeNotification(TvxObject& destroyed) override;

    // How the component's children travel in streams. The writer visits the children it
    // stores; the reader hands each child record's component to AddStreamChild.
    virtual void ForEachStoredChild(const std::function<void(TvxComponent&)>&) const { }
    // The reader asks before it reads the child's record.
    virtual bool AcceptsStreamChild(const TvxComponent&) const { return false; }
    virtual void AddStreamChild(TvxComponent&) { }

protected:
    // Detaches the component from everything that refers to it; runs once, before
    // any destructor, while the most-derived object is still whole.
    virtual void BeforeDestruction();
    bool IsDetached() const { return m_detached; }

private:
    void InsertComponent(TvxComponent& component);
    void RemoveComponent(TvxComponent& component);
    void DestroyComponents();

    std::string m_name;
    TvxComponent* m_owner { nullptr };
    std::vector<TvxComponent*> m_components;
    std::uint8_t m_state { 0 };
    bool m_detached { false };
};

}
