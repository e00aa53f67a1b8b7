// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/scene/SceneTool.h"

#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxScene.h"

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxComponent.h"
#include "scene/visual/TvxVisualObject.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxImageCodec.h"
#include "scene/shapes/SceneShapeClasses.h"
#include "scene/shapes/TvxImageList.h"

#include <cmath>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace nimbrell::tools {

namespace {

std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path.string() + ": cannot be read");
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void writeFile(const std::filesystem::path& path, const void* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        throw std::runtime_error(path.string() + ": cannot be written");
}

}

void RegisterAllSceneClasses()
{
    RegisterSceneControlClasses();
}

namespace {

// Reads the text form into real objects; the root is returned with its stream.
ComponentPtr<TvxComponent> ReadScene(const std::filesystem::path& input, std::vector<std::uint8_t>* canonical,
    const std::vector<std::filesystem::path>& includeFolders = {})
{
    std::vector<std::uint8_t> source = readFile(input);
    std::string text(source.begin(), source.end());
    std::filesystem::path base = input.parent_path();
    // Next to the scene first, then in the folders given (generated files).
    auto include = [&](std::string_view name) {
        std::filesystem::path relative { std::string(name) };
        for (const auto& folder : includeFolders) {
            if (!std::filesystem::exists(base / relative) && std::filesystem::exists(folder / relative))
                return readFile(folder / relative);
        }
        return readFile(base / relative);
    };

    std::vector<TextLineMark> marks;
    std::vector<std::uint8_t> binary;
    try {
        binary = ObjectTextToBinary(text, include, &marks);
    } catch (const ObjectTextError& error) {
        throw std::runtime_error(input.string() + ":" + std::to_string(error.Line()) + ": " + error.what());
    }

    try {
        std::string className = PeekRootClassName(binary);
        const ClassInfo* info = FindClass(className);
        ComponentPtr<TvxComponent> root(info ? info->Create(nullptr) : nullptr);
        if (!root)
            throw ObjectStreamError("Class " + className + " not found", 4, false);
        ObjectReader reader(binary);
        reader.ReadRoot(*root);
        if (canonical) {
            ObjectWriter writer(*canonical);
            writer.WriteRoot(*root);
        }
        return root;
    } catch (const ObjectStreamError& error) {
        throw std::runtime_error(input.string() + ":" + std::to_string(LineAtOffset(marks, error.Position())) + ": " + error.what());
    }
}

}

void CompileScene(const std::filesystem::path& input, const std::filesystem::path& output,
    const std::vector<std::filesystem::path>& includeFolders)
{
    std::vector<std::uint8_t> canonical;
    ReadScene(input, &canonical, includeFolders);
    writeFile(output, canonical.data(), canonical.size());
}

void WriteImageListBlock(const std::vector<std::filesystem::path>& pictures, const std::filesystem::path& output)
{
    TvxImageList list(nullptr);
    for (const auto& path : pictures) {
        TvxBitmap picture;
        if (!picture.LoadFromStream(readFile(path)))
            throw std::runtime_error(path.string() + ": not a picture");
        list.Add(picture);
    }
    std::vector<std::uint8_t> block;
    list.WriteImages(block);
    writeFile(output, block.data(), block.size());
}

void RenderScene(const std::filesystem::path& input, const std::filesystem::path& output, const RenderOptions& options)
{
    if (!(options.scale > 0) || !std::isfinite(options.scale))
        throw std::runtime_error("the scale must be a positive number");
    ComponentPtr<TvxComponent> component = ReadScene(input, nullptr);
    auto* object = dynamic_cast<TvxObject*>(component.get());
    TvxVisualObject* root = object ? object->Visual() : nullptr;
    if (!root)
        throw std::runtime_error(input.string() + ": the root is not a visual object");
    root->Scale().SetPoint({ options.scale, options.scale });
    int width = options.width > 0 ? options.width : static_cast<int>(std::lround(root->Width() * options.scale));
    int height = options.height > 0 ? options.height : static_cast<int>(std::lround(root->Height() * options.scale));
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        throw std::runtime_error("the picture size must be between 1 and 16384 pixels");

    TvxCustomScene scene(width, height);
    scene.SetTransparency(true);
    // The scene owns its roots.
    component.release();
    scene.AddObject(root);
    // The first frame applies the controls' styles, which starts their animations.
    scene.DrawAll();
    FinishAllAnimations();
    scene.DrawAll();
    std::vector<std::uint8_t> png;
    const TvxBitmap& buffer = scene.Buffer();
    if (!TvxImageCodec::EncodePng(buffer.ConstBits(), buffer.Width(), buffer.Height(), png))
        throw std::runtime_error(output.string() + ": cannot encode the picture");
    writeFile(output, png.data(), png.size());
}

void ShowScene(const std::filesystem::path& input)
{
    auto backend = platform::CreateGtkBackend();
    if (!backend)
        throw std::runtime_error("cannot open the display");
    platform::Application application(std::move(backend));
    application.SetTitle(input.filename().string());
    application.InstallCloseSignals();
    ComponentPtr<TvxComponent> component = ReadScene(input, nullptr);
    auto* object = dynamic_cast<TvxObject*>(component.get());
    TvxVisualObject* root = object ? object->Visual() : nullptr;
    if (!root)
        throw std::runtime_error(input.string() + ": the root is not a visual object");
    int width = static_cast<int>(std::lround(root->Width()));
    int height = static_cast<int>(std::lround(root->Height()));
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        throw std::runtime_error(input.string() + ": the root must be between 1 and 16384 pixels wide and high");

    SceneWindow window(width, height);
    window.Native().SetTitle(input.filename().string());
    window.Scene().SetTransparency(true);
    // The scene owns its roots.
    component.release();
    window.Scene().AddObject(root);
    platform::ScreenRect area = application.GetBackend().WorkAreaAt(application.GetBackend().CursorPosition());
    window.Move(area.left + std::max(0, (area.right - area.left - width) / 2), area.top + std::max(0, (area.bottom - area.top - height) / 2));
    application.SetMainWindow(window.Handle());
    // Escape ends the modal loop with "cancel"; closing the window ends it too.
    window.ShowModal(nullptr);
}

void DecompileScene(const std::filesystem::path& input, const std::filesystem::path& output)
{
    std::vector<std::uint8_t> binary = readFile(input);
    std::string text;
    try {
        text = ObjectBinaryToText(binary);
    } catch (const ObjectStreamError& error) {
        throw std::runtime_error(input.string() + ": byte " + std::to_string(error.Position()) + ": " + error.what());
    }
    writeFile(output, text.data(), text.size());
}

}
