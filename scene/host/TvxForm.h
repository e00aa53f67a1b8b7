// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A stored window: the root record of a window's object stream. It keeps the
// window's caption and client size and owns every component the stream names
// (the scene host record, image lists, popup menus), so a window finds them by
// name. The scene host record ("TvxScene" in streams) reads the scene's roots
// as its children and hands them to a live scene.

#include "scene/core/TvxComponent.h"

#include <string>
#include <vector>

namespace nimbrell {

class TvxCustomScene;
class TvxObject;
class TvxResources;

class TvxSceneRecord : public TvxComponent {
    NIMBRELL_CLASS(TvxSceneRecord)
public:
    explicit TvxSceneRecord(TvxComponent* owner);
    ~TvxSceneRecord() override;

    int Width() const { return m_width; }
    void SetWidth(int value) { m_width = value; }
    int Height() const { return m_height; }
    void SetHeight(int value) { m_height = value; }
    bool Transparency() const { return m_transparency; }
    void SetTransparency(bool value) { m_transparency = value; }
    // The window's private style container, if it has one; a sibling in the stream.
    TvxResources* Style() const { return m_style; }
    void SetStyle(TvxResources* value) { m_style = value; }

    const std::vector<TvxObject*>& Roots() const { return m_roots; }
    // Moves the roots into the scene, which owns them from then on, and applies
    // the transparency and the private style container.
    void AttachTo(TvxCustomScene& scene);

    void ForEachStoredChild(const std::function<void(TvxComponent&)>& visit) const override;
    bool AcceptsStreamChild(const TvxComponent& child) const override;
    void AddStreamChild(TvxComponent& child) override;
    // The design tools' grid settings: read and dropped, written as off.
    void DefineProperties(TvxFiler& filer) override;

private:
    std::vector<TvxObject*> m_roots;
    int m_width { 0 };
    int m_height { 0 };
    bool m_transparency { false };
    TvxResources* m_style { nullptr };
};

class TvxForm : public TvxComponent {
    NIMBRELL_CLASS(TvxForm)
public:
    explicit TvxForm(TvxComponent* owner);
    ~TvxForm() override;

    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string_view value) { m_caption = std::string(value); }
    int ClientWidth() const { return m_clientWidth; }
    void SetClientWidth(int value) { m_clientWidth = value; }
    int ClientHeight() const { return m_clientHeight; }
    void SetClientHeight(int value) { m_clientHeight = value; }

    // The first scene host record of the window; none when the stream has none.
    TvxSceneRecord* SceneRecord() const;
    // A component of the window by name, of the class asked for.
    template<typename T>
    T* Find(std::string_view name) const { return dynamic_cast<T*>(FindComponent(name)); }

    void ForEachStoredChild(const std::function<void(TvxComponent&)>& visit) const override;
    bool AcceptsStreamChild(const TvxComponent& child) const override;
    void AddStreamChild(TvxComponent& child) override;

private:
    std::string m_caption;
    std::vector<TvxComponent*> m_children;
    int m_clientWidth { 0 };
    int m_clientHeight { 0 };
};

void RegisterStoredWindowClasses();

}
