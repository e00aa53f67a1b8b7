// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/host/TvxForm.h"

#include "scene/core/DesignGrid.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/TvxObject.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/styles/TvxResources.h"

#include <utility>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS_NAMED(TvxSceneRecord, "TvxScene", TvxComponent)
{
    c.Integer("Width", &TvxSceneRecord::Width, &TvxSceneRecord::SetWidth).Default(0);
    c.Integer("Height", &TvxSceneRecord::Height, &TvxSceneRecord::SetHeight).Default(0);
    c.Enum("Transparency", &TvxSceneRecord::Transparency, &TvxSceneRecord::SetTransparency).Default(false);
    c.Reference("Style", &TvxSceneRecord::Style, &TvxSceneRecord::SetStyle);
}

TvxSceneRecord::TvxSceneRecord(TvxComponent* owner)
    : TvxComponent(owner)
{
}

TvxSceneRecord::~TvxSceneRecord() = default;

void TvxSceneRecord::AttachTo(TvxCustomScene& scene)
{
    scene.SetTransparency(m_transparency);
    if (m_style)
        scene.SetStyle(m_style);
    for (TvxObject* root : std::exchange(m_roots, {}))
        scene.AddObject(root);
}

void TvxSceneRecord::ForEachStoredChild(const std::function<void(TvxComponent&)>& visit) const
{
    for (TvxObject* root : m_roots)
        visit(*root);
}

bool TvxSceneRecord::AcceptsStreamChild(const TvxComponent& child) const
{
    return dynamic_cast<const TvxObject*>(&child) != nullptr;
}

void TvxSceneRecord::AddStreamChild(TvxComponent& child)
{
    m_roots.push_back(static_cast<TvxObject*>(&child));
}

void TvxSceneRecord::DefineProperties(TvxFiler& filer)
{
    TvxComponent::DefineProperties(filer);
    DefineDesignGridProperties(filer);
}

NIMBRELL_DEFINE_CLASS(TvxForm, TvxComponent)
{
    c.Text("Caption", &TvxForm::Caption, &TvxForm::SetCaption);
    c.Integer("ClientWidth", &TvxForm::ClientWidth, &TvxForm::SetClientWidth).Default(0);
    c.Integer("ClientHeight", &TvxForm::ClientHeight, &TvxForm::SetClientHeight).Default(0);
}

TvxForm::TvxForm(TvxComponent* owner)
    : TvxComponent(owner)
{
}

TvxForm::~TvxForm() = default;

TvxSceneRecord* TvxForm::SceneRecord() const
{
    for (int i = 0; i < ComponentCount(); ++i) {
        if (auto* record = dynamic_cast<TvxSceneRecord*>(Component(i)))
            return record;
    }
    return nullptr;
}

void TvxForm::ForEachStoredChild(const std::function<void(TvxComponent&)>& visit) const
{
    // Only children the window still owns: one freed meanwhile has left its list.
    for (TvxComponent* child : m_children) {
        for (int i = 0; i < ComponentCount(); ++i) {
            if (Component(i) == child) {
                visit(*child);
                break;
            }
        }
    }
}

bool TvxForm::AcceptsStreamChild(const TvxComponent&) const
{
    return true;
}

void TvxForm::AddStreamChild(TvxComponent& child)
{
    m_children.push_back(&child);
}

void RegisterStoredWindowClasses()
{
    RegisterClass<TvxForm>();
    RegisterClass<TvxSceneRecord>();
}

}
