// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/styles/TvxResources.h"

#include "scene/core/ISceneHost.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxFiler.h"
#include "scene/core/TvxObject.h"
#include "scene/styles/DefaultStyleSheet.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxResources, TvxComponent)
{
    c.Object("Resource", [](const TvxResources& r) { return &r.Resource(); }).NeverStored();
    c.Text("FileName", &TvxResources::FileName, &TvxResources::SetFileName);
}

namespace {

std::filesystem::path programFolder()
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

std::vector<std::string> readLines(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}

TvxResources::TvxResources(TvxComponent* owner)
    : TvxComponent(owner)
{
    m_resource.OnChanged = [this] { TextChanged(); };
}

TvxResources::~TvxResources() = default;

void TvxResources::BeforeDestruction()
{
    // Scenes still naming this container lose their style container.
    std::vector<ISceneHost*> scenes = std::move(m_scenes);
    m_scenes.clear();
    for (ISceneHost* scene : scenes) {
        if (scene->Style() == this)
            scene->SetStyle(nullptr);
    }
    SetRoot(nullptr);
    TvxComponent::BeforeDestruction();
}

void TvxResources::SetRoot(TvxObject* root)
{
    if (m_root)
        m_root->Free();
    m_root = root;
}

void TvxResources::LoadBinary(std::span<const std::uint8_t> stream)
{
    SetRoot(nullptr);
    if (!stream.empty())
        SetRoot(ReadStyleSheet(stream, nullptr));
    UpdateScenes();
}

std::vector<std::uint8_t> TvxResources::SaveBinary() const
{
    std::vector<std::uint8_t> stream;
    if (m_root) {
        ObjectWriter writer(stream);
        writer.WriteRoot(*m_root);
    }
    return stream;
}

void TvxResources::TextChanged()
{
    std::string text;
    for (const std::string& line : m_resource.Lines())
        text += line + "\n";
    std::vector<std::uint8_t> binary;
    bool blank = std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    if (!blank) {
        try {
            binary = ObjectTextToBinary(text);
        } catch (const std::exception&) {
            // A text that is not a stream leaves no sheet.
            binary.clear();
        }
    }
    LoadBinary(binary);
}

void TvxResources::SetFileName(std::string_view value)
{
    if (m_fileName == value)
        return;
    m_fileName = std::string(value);
    if (!HasState(ComponentState::Loading))
        LoadFile();
}

void TvxResources::LoadFile()
{
    if (m_fileName.empty())
        return;
    std::filesystem::path given(m_fileName);
    std::filesystem::path beside = programFolder() / given.filename();
    if (isFile(beside))
        m_resource.SetLines(readLines(beside));
    else if (isFile(given))
        m_resource.SetLines(readLines(given));
}

void TvxResources::Loaded()
{
    TvxComponent::Loaded();
    LoadFile();
}

void TvxResources::DefineProperties(TvxFiler& filer)
{
    filer.DefineBinaryProperty(
        "ResourcesBin", [this](std::span<const std::uint8_t> bytes) { LoadBinary(bytes); },
        [this](std::vector<std::uint8_t>& out) { out = SaveBinary(); }, m_root != nullptr);
}

void TvxResources::AddSceneUpdater(ISceneHost* scene)
{
    if (scene && std::find(m_scenes.begin(), m_scenes.end(), scene) == m_scenes.end())
        m_scenes.push_back(scene);
}

void TvxResources::RemoveSceneUpdater(ISceneHost* scene)
{
    std::erase(m_scenes, scene);
}

void TvxResources::UpdateScenes()
{
    // A scene may unregister while it restyles.
    std::vector<ISceneHost*> scenes = m_scenes;
    for (ISceneHost* scene : scenes)
        scene->UpdateResource();
}

void RegisterSceneStyleClasses()
{
    RegisterClass<TvxResources>();
}

}
