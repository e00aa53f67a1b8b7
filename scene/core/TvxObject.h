// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The scene object: a node of the scene tree. Its children are kept in painting order
// (later children are drawn on top) and are freed by it, before the components its
// owner role frees. See TvxComponent for names and owners.

#include "scene/core/Geometry.h"
#include "scene/core/TvxComponent.h"
#include "scene/core/TvxVariant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class ISceneHost;
class TvxBitmap;
class TvxCanvas;
class TvxVisualObject;

// What an animation (scene/anim) offers the walks of TvxObject.
class IAnimationRole {
public:
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool HasTrigger() const = 0;
    virtual void StartTrigger(TvxObject* instance, std::string_view trigger) = 0;
    // Starts like StartTrigger, then waits until the run ends.
    virtual void StartTriggerWait(TvxObject* instance, std::string_view trigger) = 0;

protected:
    ~IAnimationRole() = default;
};

// What an effect (scene/shapes) offers the trigger walk and the visual object it
// decorates. Rectangles are in the decorated object's local units; the effect bitmap
// holds the object rendered at its absolute scale.
class IEffectRole {
public:
    virtual void ApplyTrigger(TvxObject* instance, std::string_view trigger) = 0;
    virtual bool EffectEnabled() const = 0;
    // The decorated object itself is not painted, only the effect.
    virtual bool EffectDisablesPaint() const = 0;
    // The effect goes over the object instead of under it.
    virtual bool EffectAfterPaint() const = 0;
    // The area the effect covers for the object's rectangle.
    virtual TvxRect GetRect(const TvxRect& rect) const = 0;
    // Where the object is placed inside the effect bitmap.
    virtual TvxPoint GetOffset() const = 0;
    // Turns the rendered object into the effect image, in place.
    virtual void ProcessEffect(TvxCanvas& canvas, TvxBitmap& bitmap, float scale) = 0;

protected:
    ~IEffectRole() = default;
};

class TvxObject : public TvxComponent {
    NIMBRELL_CLASS(TvxObject)
public:
    explicit TvxObject(TvxComponent* owner);
    ~TvxObject() override;

    // Tree.
    TvxObject* Parent() const { return m_parent; }
    int ChildrenCount() const { return static_cast<int>(m_children.size()); }
    TvxObject* Child(int index) const { return m_children[static_cast<std::size_t>(index)]; }
    std::span<TvxObject* const> Children() const { return m_children; }
    // The cached position in the parent's list, looked up when unknown; −1 without parent.
    int Index() const;
    // Moves the object within its parent's list (clamped to the list); the parent is told
    // (ChildrenReordered).
    void SetIndex(int index);
    void BringToFront();
    void SendToBack();
    // Sorts the children; compare returns < 0 when the first goes before the second.
    void Sort(const std::function<int(TvxObject*, TvxObject*)>& compare);
    void AddObjectsToList(std::vector<TvxObject*>& list);
    void AddControlsToList(std::vector<TvxObject*>& list);

    // Names and flags.
    const std::string& ResourceName() const { return m_resourceName; }
    void SetResourceName(std::string_view value) { m_resourceName = std::string(value); }
    const std::string& BindingName() const { return m_bindingName; }
    void SetBindingName(std::string_view value) { m_bindingName = std::string(value); }
    bool Stored() const { return m_stored; }
    // Sets the flag on the object and every descendant.
    void SetStored(bool value);
    bool IsVisual() const { return m_visual != nullptr; }
    TvxVisualObject* Visual() const { return m_visual; }
    ISceneHost* Scene() const { return m_scene; }

    TvxObject* TagObject() const { return m_tagObject; }
    void SetTagObject(TvxObject* value) { m_tagObject = value; }
    float TagFloat() const { return m_tagFloat; }
    void SetTagFloat(float value) { m_tagFloat = value; }
    const std::string& TagString() const { return m_tagString; }
    void SetTagString(std::string_view value) { m_tagString = std::string(value); }
    TvxVariant Data() const { return GetData(); }

    // Free notifications: the target is told when this object is destroyed.
    // Duplicates are allowed; removing takes out the first occurrence. A target that is
    // destroyed first must remove itself; TvxObjectReference does so.
    void AddFreeNotify(IFreeNotifyTarget* target);
    void RemoveFreeNotify(IFreeNotifyTarget* target);

    // Searches.
    TvxObject* FindBinding(std::string_view name);
    // Newest stored object in the object registry with that resource name.
    static TvxObject* FindRegisteredResource(std::string_view name);

    // Streams. The clone is owned by owner (none: the caller frees it) and has no parent.
    TvxObject* Clone(TvxComponent* owner);
    void SaveToBinStream(std::vector<std::uint8_t>& stream);
    void SaveToStream(std::string& text);

    // Virtual operations.
    virtual void SetScene(ISceneHost* scene);
    virtual void ParentChanged() { }
    virtual void SetParent(TvxObject* parent);
    virtual TvxVariant GetBindingValue(std::string_view bindingName);
    virtual void SetBindingValue(std::string_view bindingName, const TvxVariant& value);
    virtual TvxVariant GetData() const;
    virtual void SetData(const TvxVariant& value);
    virtual std::string ItemClass() const { return {}; }
    virtual void AddObject(TvxObject* object);
    virtual void RemoveObject(TvxObject* object);
    virtual void Exchange(TvxObject* object1, TvxObject* object2);
    virtual void DeleteChildren();
    virtual TvxObject* FindResource(std::string_view name);
    virtual void UpdateResource();
    virtual void StartAnimation(std::string_view name);
    virtual void StopAnimation(std::string_view name);
    // The trigger operations carry a state change of instance to the animations and
    // effects below this object (see ForEachTriggerChild).
    virtual void StartTriggerAnimation(TvxObject* instance, std::string_view trigger);
    virtual void StartTriggerAnimationWait(TvxObject* instance, std::string_view trigger);
    virtual void StopTriggerAnimation(TvxObject* instance);
    virtual void ApplyTriggerEffect(TvxObject* instance, std::string_view trigger);

    // Roles that classes of higher layers (animations, effects, controls) take on; the
    // walks above act on them.
    virtual IAnimationRole* AsAnimation() { return nullptr; }
    virtual IEffectRole* AsEffect() { return nullptr; }
    virtual bool IsStyledControl() const { return false; }
    // A content container (inside scrolling controls) is written flattened into its parent.
    virtual bool IsContentContainer() const { return false; }
    // Visual, Locked and not HitTest: an inner part of a style template, entered by the
    // trigger walks.
    virtual bool IsTemplatePart() const { return false; }

    void ForEachStoredChild(const std::function<void(TvxComponent&)>& visit) const override;
    bool AcceptsStreamChild(const TvxComponent& child) const override;
    void AddStreamChild(TvxComponent& child) override;

protected:
    // Called by the visual object's constructor.
    void SetVisual(TvxVisualObject* visual) { m_visual = visual; }
    void BeforeDestruction() override;
    void ResetChildIndexes(std::size_t from = 0);
    // The order of the children changed (SetIndex, Exchange).
    virtual void ChildrenReordered() { }
    // SetIndex without telling the parent: for putting an object back where it was.
    bool MoveToIndex(int index);
    // The walk every trigger operation shares: the direct children in order; act returns
    // whether the child was one it acts on, and a child it did not take that is a
    // template part is entered (enter runs the same operation on it).
    void ForEachTriggerChild(const std::function<bool(TvxObject& child)>& act, const std::function<void(TvxObject& part)>& enter);

private:
    // Stops the triggered animations below, then starts them (start) and enters the
    // template parts (enter).
    void StartTriggerAnimations(TvxObject* instance, std::string_view trigger,
        void (IAnimationRole::*start)(TvxObject*, std::string_view), void (TvxObject::*enter)(TvxObject*, std::string_view));

    bool m_stored { true };
    std::string m_resourceName;
    std::unique_ptr<std::vector<IFreeNotifyTarget*>> m_notifyList;
    TvxObject* m_tagObject { nullptr };
    float m_tagFloat { 0 };
    std::string m_tagString;
    std::string m_bindingName;
    mutable int m_index { -1 };
    TvxVisualObject* m_visual { nullptr };
    std::vector<TvxObject*> m_children;
    TvxObject* m_parent { nullptr };
    ISceneHost* m_scene { nullptr };
    std::size_t m_registrySlot { 0 };
};

}
