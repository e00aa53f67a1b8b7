// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scene host that records what the tree asks of it.

#include "scene/core/ISceneHost.h"
#include "scene/core/TvxObject.h"

#include <algorithm>
#include <string>
#include <vector>

namespace nimbrell::test {

class FakeSceneHost final : public ISceneHost {
public:
    void AddObject(TvxObject* object) override
    {
        roots.push_back(object);
        object->SetScene(this);
    }
    void RemoveObject(TvxObject* object) override
    {
        log.push_back("remove " + object->Name());
        std::erase(roots, object);
    }
    void BeginDrag() override { }
    void BeginResize() override { }
    void AddUpdateRect(const TvxRect& rect) override { updates.push_back(rect); }
    TvxObject* InsertObject(std::string_view) override { return nullptr; }
    TvxObject* ActiveControl() const override { return nullptr; }
    bool DisableUpdate() const override { return disableUpdate; }
    void SetDisableUpdate(bool value) override { disableUpdate = value; }
    bool DesignTime() const override { return false; }
    TvxCanvas* Canvas() const override { return nullptr; }
    TvxObject* Root() const override { return roots.empty() ? nullptr : roots.front(); }
    TvxComponent* Owner() const override { return nullptr; }
    TvxComponent* Component() const override { return nullptr; }
    TvxResources* Style() const override { return nullptr; }
    void SetStyle(TvxResources*) override { }
    bool Transparency() const override { return true; }
    void UpdateResource() override { }
    void Notification(TvxComponent& component, ComponentOperation operation) override
    {
        if (operation == ComponentOperation::Remove)
            log.push_back("notify " + component.Name());
    }
    TvxObject* Selected() const override { return nullptr; }
    TvxObject* DesignInsertionObject() const override { return nullptr; }
    int UpdateRectCount() const override { return static_cast<int>(updates.size()); }
    TvxRect UpdateRect(int index) const override { return updates[static_cast<std::size_t>(index)]; }
    void SetCaptured(TvxVisualObject* object) override { captured = object; }
    TvxVisualObject* Captured() const override { return captured; }
    void SetFocused(TvxVisualObject* object) override { focused = object; }
    TvxVisualObject* Focused() const override { return focused; }
    void SetDesignRoot(TvxObject*) override { }
    TvxPoint MousePos() const override { return {}; }
    TvxPoint LocalToScreen(const TvxPoint& point) const override { return point; }
    void BeginPlatformDrag(TvxObject*) override { }
    void SetSelected(TvxObject*) override { }

    std::vector<TvxObject*> roots;
    std::vector<TvxRect> updates;
    std::vector<std::string> log;
    bool disableUpdate { false };
    TvxVisualObject* captured { nullptr };
    TvxVisualObject* focused { nullptr };
};

}
