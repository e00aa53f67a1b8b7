// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxControl.h"

#include "scene/core/ISceneHost.h"
#include "scene/styles/DefaultStyleSheet.h"
#include "scene/styles/TvxResources.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxControl, TvxVisualObject)
{
    c.Enum("CanFocused", &TvxControl::CanFocused, &TvxControl::SetCanFocused);
    c.Enum("DisableFocusEffect", &TvxControl::DisableFocusEffect, &TvxControl::SetDisableFocusEffect).Default(false);
    c.Integer("TabOrder", &TvxControl::TabOrder, &TvxControl::SetTabOrder).Default(-1);
    c.Text("Resource", &TvxControl::Resource, &TvxControl::SetResource);
}

namespace {

// "TvxButton" → "Buttonstyle".
std::string derivedName(const ClassInfo* info)
{
    if (!info || info->Name().size() <= 3)
        return {};
    return std::string(info->Name().substr(3)) + "style";
}

TvxObject* search(TvxObject* sheet, std::string_view name)
{
    return sheet && !name.empty() ? sheet->FindResource(name) : nullptr;
}

// Objects read from a stream end their load before they are used.
void finishLoading(TvxObject& object)
{
    if (object.HasState(ComponentState::Loading))
        object.Loaded();
    for (TvxObject* child : object.Children())
        finishLoading(*child);
}

}

TvxControl::TvxControl(TvxComponent* owner)
    : TvxVisualObject(owner)
{
}

void TvxControl::SetResource(std::string_view value)
{
    m_resource = std::string(value);
    m_needStyle = true;
    if (!IsLoading() && Updating() == 0)
        ApplyResource();
}

TvxControl::StyleSource TvxControl::FindStyle()
{
    if (!m_resource.empty() && m_resource == ResourceName())
        return {};
    TvxObject* sceneSheet = nullptr;
    if (Scene() && Scene()->Style())
        sceneSheet = Scene()->Style()->Root();

    if (!m_resource.empty()) {
        TvxObject* found = search(sceneSheet, m_resource);
        if (!found)
            found = search(DefaultStyleSheet(), m_resource);
        if (!found)
            found = FindRegisteredResource(m_resource);
        if (found && found->IsVisual())
            return { found, true };
    }

    TvxObject* defaultSheet = LoadDefaultStyleSheet();
    std::string own = derivedName(&Class());
    if (sceneSheet) {
        TvxObject* found = search(sceneSheet, m_resource);
        if (!found)
            found = search(sceneSheet, own);
        if (found)
            return { found, false };
    }
    if (defaultSheet) {
        TvxObject* found = search(defaultSheet, m_resource);
        if (!found)
            found = search(defaultSheet, own);
        if (!found)
            found = search(defaultSheet, derivedName(Class().Parent()));
        if (found)
            return { found, false };
    }
    return {};
}

void TvxControl::ApplyResource()
{
    if (!m_needStyle)
        return;
    m_needStyle = false;
    StyleSource source = FindStyle();
    if (!source.object || !source.object->IsVisual())
        return;
    // A style that contains, at any depth, a control taking the same style would clone
    // itself without end.
    for (TvxObject* p = Parent(); p; p = p->Parent()) {
        auto* control = dynamic_cast<TvxControl*>(p);
        if (control && control->m_appliedSource == source.object)
            return;
    }
    TvxObject* clone = nullptr;
    try {
        clone = source.object->Clone(this);
    } catch (const std::exception&) {
        return;
    }
    if (!clone)
        return;
    if (!clone->IsVisual()) {
        clone->Free();
        return;
    }
    if (source.clearName)
        clone->SetResourceName({});
    finishLoading(*clone);

    ISceneHost* scene = Scene();
    bool suppress = IsLoading() && scene;
    bool savedSuppression = suppress && scene->DisableUpdate();
    if (suppress)
        scene->SetDisableUpdate(true);

    if (m_styleClone) {
        ResourceReleasing();
        TvxVisualObject* old = m_styleClone;
        m_styleClone = nullptr;
        old->Free();
    }
    TvxVisualObject* visual = clone->Visual();
    visual->SetAlign(TvxAlign::vaContents);
    visual->SetDesignHide(false);
    m_styleClone = visual;
    m_appliedSource = source.object;
    AddObject(visual);
    visual->SetIndex(0);
    visual->SetStored(false);
    visual->Lock();

    ResourceApplied();

    if (suppress)
        scene->SetDisableUpdate(savedSuppression);
    UpdateEffects();
    OnApplyResource(this);
}

void TvxControl::ResourceApplied()
{
    if (!IsFocused() || !CanFocused() || !FocusEffectEnabled())
        return;
    RecalcUpdateRect();
    Repaint();
    StateChanged("IsFocused");
}

void TvxControl::RemoveObject(TvxObject* object)
{
    if (object && object == m_styleClone) {
        ResourceReleasing();
        m_styleClone = nullptr;
    }
    TvxVisualObject::RemoveObject(object);
}

TvxObject* TvxControl::FindResource(std::string_view name)
{
    if (m_styleClone) {
        if (TvxObject* found = m_styleClone->FindResource(name))
            return found;
    }
    return TvxVisualObject::FindResource(name);
}

void TvxControl::UpdateResource()
{
    if (IsLoading() || HasState(ComponentState::Destroying))
        return;
    TvxVisualObject::UpdateResource();
    m_needStyle = true;
    ApplyResource();
}

void TvxControl::PrePaint()
{
    ApplyResource();
}

void TvxControl::DoEnterFocus()
{
    ApplyResource();
    TvxVisualObject::DoEnterFocus();
}

}
