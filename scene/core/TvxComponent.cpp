// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxComponent.h"

#include "base/Text.h"
#include "scene/core/TvxObject.h"

#include <algorithm>
#include <stdexcept>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxComponent, TvxPersistent)
{
}

TvxComponent::TvxComponent(TvxComponent* owner)
{
    if (owner)
        owner->InsertComponent(*this);
}

TvxComponent::~TvxComponent()
{
    if (!m_detached)
        TvxComponent::BeforeDestruction();
    DestroyComponents();
}

void FreeComponent::operator()(TvxComponent* component) const
{
    if (component)
        component->Free();
}

void TvxComponent::Free()
{
    if (!m_detached)
        BeforeDestruction();
    delete this;
}

void TvxComponent::BeforeDestruction()
{
    m_detached = true;
    SetState(ComponentState::Destroying);
    if (m_owner)
        m_owner->RemoveComponent(*this);
}

void TvxComponent::DestroyComponents()
{
    // Each component leaves the list itself as it is freed; last first.
    while (!m_components.empty())
        m_components.back()->Free();
}

void TvxComponent::SetName(std::string_view name)
{
    if (m_name == name)
        return;
    if (!name.empty() && m_owner) {
        TvxComponent* existing = m_owner->FindComponent(name);
        if (existing && existing != this)
            throw std::runtime_error(Format("A component named %.*s already exists", static_cast<int>(name.size()), name.data()));
    }
    m_name = std::string(name);
}

TvxComponent* TvxComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TvxComponent* component : m_components) {
        if (EqualsIgnoringAsciiCase(component->m_name, name))
            return component;
    }
    return nullptr;
}

void TvxComponent::Loaded()
{
    ClearState(ComponentState::Loading);
}

void TvxComponent::Notification(TvxComponent&, ComponentOperation)
{
}

void TvxComponent::FreeNotification(TvxObject& destroyed)
{
    Notification(destroyed, ComponentOperation::Remove);
}

void TvxComponent::InsertComponent(TvxComponent& component)
{
    component.m_owner = this;
    m_components.push_back(&component);
}

void TvxComponent::RemoveComponent(TvxComponent& component)
{
    auto it = std::find(m_components.rbegin(), m_components.rend(), &component);
    if (it != m_components.rend())
        m_components.erase(std::next(it).base());
    component.m_owner = nullptr;
}

}
