// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A style container: a component holding one style sheet (a tree of scene objects whose
// named subtrees are styles). Scenes that name it as their Style are registered with it
// and restyle themselves whenever its sheet changes. Stored as the binary property
// ResourcesBin; the text form (Resource) is never stored.

#include "scene/core/TvxComponent.h"
#include "scene/core/TvxWideStrings.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class ISceneHost;
class TvxObject;

class TvxResources : public TvxComponent {
    NIMBRELL_CLASS(TvxResources)
public:
    explicit TvxResources(TvxComponent* owner);
    ~TvxResources() override;

    // The sheet in the object-stream text form; any change reloads the root.
    TvxWideStrings& Resource() { return m_resource; }
    const TvxWideStrings& Resource() const { return m_resource; }
    // The loaded sheet, owned; none when the text is empty or could not be read.
    TvxObject* Root() const { return m_root; }
    // A file holding the text form: looked up in the program's own folder first, then as
    // given. A name that finds no file keeps the current sheet.
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(std::string_view value);

    // Replaces the root by the one read from a binary object stream (none when the bytes
    // do not hold one), then restyles the registered scenes.
    void LoadBinary(std::span<const std::uint8_t> stream);
    std::vector<std::uint8_t> SaveBinary() const;

    void AddSceneUpdater(ISceneHost* scene);
    void RemoveSceneUpdater(ISceneHost* scene);
    // Every registered scene applies its styles again.
    void UpdateScenes();

    void Loaded() override;
    void DefineProperties(TvxFiler& filer) override;

protected:
    void BeforeDestruction() override;

private:
    void SetRoot(TvxObject* root);
    void TextChanged();
    void LoadFile();

    TvxWideStrings m_resource;
    TvxObject* m_root { nullptr };
    std::vector<ISceneHost*> m_scenes;
    std::string m_fileName;
};

// Registers the style container with the stream reader.
void RegisterSceneStyleClasses();

}
