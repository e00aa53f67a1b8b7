// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxObject.h"

#include "base/Text.h"
#include "scene/core/ISceneHost.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"

#include <algorithm>

namespace nimbrell {

namespace {

// Every scene object constructed, oldest first. A destroyed object leaves an empty slot so
// positions stay stable; the list is compacted on append once mostly empty.
struct ObjectRegistry {
    std::vector<TvxObject*> slots;
    std::size_t live { 0 };
};

ObjectRegistry& objectRegistry()
{
    static ObjectRegistry registry;
    return registry;
}

}

NIMBRELL_DEFINE_CLASS(TvxObject, TvxComponent)
{
    c.Integer("Index", &TvxObject::Index, &TvxObject::SetIndex).NeverStored();
    c.Reference("Parent", &TvxObject::Parent, &TvxObject::SetParent).NeverStored();
    c.Text("BindingName", &TvxObject::BindingName, &TvxObject::SetBindingName);
    c.Text("ResourceName", &TvxObject::ResourceName, &TvxObject::SetResourceName);
}

TvxObject::TvxObject(TvxComponent* owner)
    : TvxComponent(owner)
{
    ObjectRegistry& registry = objectRegistry();
    if (registry.slots.size() >= 64 && registry.live * 2 < registry.slots.size()) {
        std::erase(registry.slots, nullptr);
        for (std::size_t i = 0; i < registry.slots.size(); ++i)
            registry.slots[i]->m_registrySlot = i;
    }
    m_registrySlot = registry.slots.size();
    registry.slots.push_back(this);
    ++registry.live;
}

TvxObject::~TvxObject()
{
    if (!IsDetached())
        TvxObject::BeforeDestruction();
    TvxObject::DeleteChildren();
}

void TvxObject::BeforeDestruction()
{
    SetState(ComponentState::Destroying);
    if (m_scene)
        m_scene->Notification(*this, ComponentOperation::Remove);

    if (auto list = std::move(m_notifyList)) {
        for (auto it = list->rbegin(); it != list->rend(); ++it)
            (*it)->FreeNotification(*this);
    }

    ObjectRegistry& registry = objectRegistry();
    registry.slots[m_registrySlot] = nullptr;
    --registry.live;

    if (m_parent)
        m_parent->RemoveObject(this);
    else if (m_scene)
        m_scene->RemoveObject(this);
    m_scene = nullptr;

    DeleteChildren();
    TvxComponent::BeforeDestruction();
}

int TvxObject::Index() const
{
    // Renumbers all the siblings at once: after a reorder, asking each child of a long
    // list for its index costs one pass, not one search each.
    if (m_index < 0 && m_parent) {
        auto& siblings = m_parent->m_children;
        for (std::size_t i = 0; i < siblings.size(); ++i)
            siblings[i]->m_index = static_cast<int>(i);
    }
    return m_index;
}

void TvxObject::ResetChildIndexes(std::size_t from)
{
    for (std::size_t i = from; i < m_children.size(); ++i)
        m_children[i]->m_index = -1;
}

bool TvxObject::MoveToIndex(int index)
{
    if (!m_parent)
        return false;
    auto& siblings = m_parent->m_children;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end())
        return false;
    siblings.erase(it);
    std::size_t position = static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(siblings.size())));
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), this);
    m_parent->ResetChildIndexes();
    return true;
}

void TvxObject::SetIndex(int index)
{
    if (MoveToIndex(index))
        m_parent->ChildrenReordered();
}

void TvxObject::BringToFront()
{
    if (!m_parent)
        return;
    SetIndex(static_cast<int>(m_parent->m_children.size()));
}

void TvxObject::SendToBack()
{
    SetIndex(0);
}

void TvxObject::Sort(const std::function<int(TvxObject*, TvxObject*)>& compare)
{
    std::stable_sort(m_children.begin(), m_children.end(), [&](TvxObject* a, TvxObject* b) { return compare(a, b) < 0; });
    // Unlike a cache left stale, the positions read afterwards are the sorted ones.
    ResetChildIndexes();
}

void TvxObject::AddObjectsToList(std::vector<TvxObject*>& list)
{
    list.push_back(this);
    for (TvxObject* child : m_children)
        child->AddObjectsToList(list);
}

void TvxObject::AddControlsToList(std::vector<TvxObject*>& list)
{
    if (IsStyledControl())
        list.push_back(this);
    for (TvxObject* child : m_children)
        child->AddControlsToList(list);
}

void TvxObject::SetStored(bool value)
{
    if (m_stored == value)
        return;
    m_stored = value;
    for (TvxObject* child : m_children)
        child->SetStored(value);
}

void TvxObject::AddFreeNotify(IFreeNotifyTarget* target)
{
    if (!target)
        return;
    if (!m_notifyList)
        m_notifyList = std::make_unique<std::vector<IFreeNotifyTarget*>>();
    m_notifyList->push_back(target);
}

void TvxObject::RemoveFreeNotify(IFreeNotifyTarget* target)
{
    if (!m_notifyList)
        return;
    auto it = std::find(m_notifyList->begin(), m_notifyList->end(), target);
    if (it != m_notifyList->end())
        m_notifyList->erase(it);
}

TvxObject* TvxObject::FindBinding(std::string_view name)
{
    if (EqualsIgnoringAsciiCase(m_bindingName, name))
        return this;
    for (TvxObject* child : m_children) {
        if (EqualsIgnoringAsciiCase(child->m_bindingName, name))
            return child;
        if (TvxObject* found = child->FindBinding(name))
            return found;
    }
    return nullptr;
}

TvxObject* TvxObject::FindRegisteredResource(std::string_view name)
{
    auto& slots = objectRegistry().slots;
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
        TvxObject* object = *it;
        if (object && object->m_stored && EqualsIgnoringAsciiCase(object->m_resourceName, name))
            return object;
    }
    return nullptr;
}

TvxObject* TvxObject::FindResource(std::string_view name)
{
    if (name.empty())
        return nullptr;
    for (TvxObject* child : m_children) {
        if (EqualsIgnoringAsciiCase(child->m_resourceName, name))
            return child;
        if (child->IsStyledControl())
            continue;
        if (TvxObject* found = child->FindResource(name))
            return found;
    }
    return nullptr;
}

void TvxObject::UpdateResource()
{
    if (HasState(ComponentState::Loading) || HasState(ComponentState::Destroying))
        return;
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->UpdateResource();
}

void TvxObject::SetScene(ISceneHost* scene)
{
    m_scene = scene;
    for (TvxObject* child : m_children)
        child->SetScene(scene);
}

void TvxObject::SetParent(TvxObject* parent)
{
    if (parent == m_parent)
        return;
    if (m_parent)
        m_parent->RemoveObject(this);
    else if (m_scene)
        m_scene->RemoveObject(this);
    if (parent)
        parent->AddObject(this);
    else
        m_parent = nullptr;
}

void TvxObject::AddObject(TvxObject* object)
{
    if (!object || object == this || object->m_parent == this)
        return;
    // An ancestor cannot become its own descendant.
    for (TvxObject* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == object)
            return;
    }
    if (object->m_parent)
        object->SetParent(nullptr);
    if (m_children.capacity() == 0)
        m_children.reserve(10);
    m_children.push_back(object);
    object->m_index = static_cast<int>(m_children.size()) - 1;
    object->m_parent = this;
    object->SetScene(m_scene);
    object->ParentChanged();
}

void TvxObject::RemoveObject(TvxObject* object)
{
    // The child's own index finds it at once: emptying a long list last first stays linear.
    auto it = m_children.end();
    if (object && object->m_parent == this) {
        int index = object->Index();
        if (index >= 0 && static_cast<std::size_t>(index) < m_children.size() && m_children[static_cast<std::size_t>(index)] == object)
            it = m_children.begin() + index;
    }
    if (it == m_children.end())
        it = std::find(m_children.begin(), m_children.end(), object);
    if (it == m_children.end())
        return;
    object->m_parent = nullptr;
    object->SetScene(nullptr);
    std::size_t position = static_cast<std::size_t>(it - m_children.begin());
    object->m_index = -1;
    ResetChildIndexes(position + 1);
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(position));
}

void TvxObject::Exchange(TvxObject* object1, TvxObject* object2)
{
    auto first = std::find(m_children.begin(), m_children.end(), object1);
    auto second = std::find(m_children.begin(), m_children.end(), object2);
    if (first == m_children.end() || second == m_children.end())
        return;
    std::iter_swap(first, second);
    std::swap(object1->m_index, object2->m_index);
    ChildrenReordered();
}

void TvxObject::DeleteChildren()
{
    while (!m_children.empty()) {
        TvxObject* child = m_children.back();
        m_children.pop_back();
        ISceneHost* scene = child->m_scene;
        child->m_parent = nullptr;
        child->SetScene(nullptr);
        // The scene drops what it still holds inside the child (the hovered object).
        if (scene)
            scene->Notification(*child, ComponentOperation::Remove);
        child->Free();
    }
    m_children = {};
}

TvxVariant TvxObject::GetBindingValue(std::string_view bindingName)
{
    if (TvxObject* object = FindBinding(bindingName))
        return object->GetData();
    return std::string();
}

void TvxObject::SetBindingValue(std::string_view bindingName, const TvxVariant& value)
{
    TvxObject* object = FindBinding(bindingName);
    if (!object)
        return;
    try {
        object->SetData(value);
    } catch (const std::exception&) {
        // A bound value that cannot be taken is dropped.
    }
}

TvxVariant TvxObject::GetData() const
{
    return Name();
}

void TvxObject::SetData(const TvxVariant&)
{
}

void TvxObject::StartAnimation(std::string_view name)
{
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        TvxObject* child = m_children[i];
        if (IAnimationRole* animation = child->AsAnimation(); animation && EqualsIgnoringAsciiCase(child->Name(), name))
            animation->Start();
    }
}

void TvxObject::StopAnimation(std::string_view name)
{
    for (std::size_t i = m_children.size(); i-- > 0;) {
        if (i >= m_children.size())
            continue;
        TvxObject* child = m_children[i];
        if (IAnimationRole* animation = child->AsAnimation(); animation && EqualsIgnoringAsciiCase(child->Name(), name))
            animation->Stop();
    }
}

void TvxObject::ForEachTriggerChild(const std::function<bool(TvxObject& child)>& act, const std::function<void(TvxObject& part)>& enter)
{
    // An action may add or remove children: the count is read again each time.
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        TvxObject* child = m_children[i];
        if (!act(*child) && child->IsTemplatePart())
            enter(*child);
    }
}

void TvxObject::StopTriggerAnimation(TvxObject* instance)
{
    ForEachTriggerChild(
        [](TvxObject& child) {
            IAnimationRole* animation = child.AsAnimation();
            if (animation && animation->HasTrigger())
                animation->Stop();
            return animation != nullptr;
        },
        [&](TvxObject& part) { part.StopTriggerAnimation(instance); });
}

void TvxObject::StartTriggerAnimation(TvxObject* instance, std::string_view trigger)
{
    StartTriggerAnimations(instance, trigger, &IAnimationRole::StartTrigger, &TvxObject::StartTriggerAnimation);
}

void TvxObject::StartTriggerAnimationWait(TvxObject* instance, std::string_view trigger)
{
    StartTriggerAnimations(instance, trigger, &IAnimationRole::StartTriggerWait, &TvxObject::StartTriggerAnimationWait);
}

void TvxObject::StartTriggerAnimations(TvxObject* instance, std::string_view trigger,
    void (IAnimationRole::*start)(TvxObject*, std::string_view), void (TvxObject::*enter)(TvxObject*, std::string_view))
{
    StopTriggerAnimation(instance);
    ForEachTriggerChild(
        [&](TvxObject& child) {
            IAnimationRole* animation = child.AsAnimation();
            if (animation)
                (animation->*start)(instance, trigger);
            return animation != nullptr;
        },
        [&](TvxObject& part) { (part.*enter)(instance, trigger); });
}

void TvxObject::ApplyTriggerEffect(TvxObject* instance, std::string_view trigger)
{
    ForEachTriggerChild(
        [&](TvxObject& child) {
            IEffectRole* effect = child.AsEffect();
            if (effect)
                effect->ApplyTrigger(instance, trigger);
            return effect != nullptr;
        },
        [&](TvxObject& part) { part.ApplyTriggerEffect(instance, trigger); });
}

void TvxObject::ForEachStoredChild(const std::function<void(TvxComponent&)>& visit) const
{
    if (IsContentContainer())
        return;
    for (TvxObject* child : m_children) {
        if (child->IsContentContainer()) {
            for (TvxObject* inner : child->m_children) {
                if (inner->m_stored)
                    visit(*inner);
            }
        }
        if (child->m_stored)
            visit(*child);
    }
}

bool TvxObject::AcceptsStreamChild(const TvxComponent& child) const
{
    return dynamic_cast<const TvxObject*>(&child) != nullptr;
}

void TvxObject::AddStreamChild(TvxComponent& child)
{
    AddObject(static_cast<TvxObject*>(&child));
}

void TvxObject::SaveToBinStream(std::vector<std::uint8_t>& stream)
{
    ObjectWriter writer(stream);
    writer.WriteRoot(*this);
}

void TvxObject::SaveToStream(std::string& text)
{
    std::vector<std::uint8_t> binary;
    SaveToBinStream(binary);
    text += ObjectBinaryToText(binary);
}

TvxObject* TvxObject::Clone(TvxComponent* owner)
{
    std::vector<std::uint8_t> stream;
    std::string name = Name();
    SetName({});
    try {
        SaveToBinStream(stream);
    } catch (...) {
        SetName(name);
        throw;
    }
    SetName(name);

    auto* copy = static_cast<TvxObject*>(Class().Create(owner));
    if (!copy)
        return nullptr;
    ObjectReader reader(stream);
    reader.OnSetName([](ObjectReader&, TvxComponent&, std::string& newName) { newName.clear(); });
    reader.OnError([](ObjectReader&, const std::string&, bool& handled) { handled = true; });
    bool designing = copy->HasState(ComponentState::Designing);
    if (!designing)
        copy->SetState(ComponentState::Designing);
    try {
        reader.ReadRoot(*copy);
    } catch (...) {
        copy->Free();
        throw;
    }
    if (!designing)
        copy->ClearState(ComponentState::Designing);
    return copy;
}

}
