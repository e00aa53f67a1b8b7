#include "tools/scene/SceneTool.h"

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxComponent.h"
#include "scene/render/SceneRenderClasses.h"

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
    RegisterSceneRenderClasses();
}

void CompileScene(const std::filesystem::path& input, const std::filesystem::path& output)
{
    std::vector<std::uint8_t> source = readFile(input);
    std::string text(source.begin(), source.end());
    std::filesystem::path base = input.parent_path();
    auto include = [&](std::string_view name) {
        return readFile(base / std::filesystem::path(std::string(name)));
    };

    std::vector<TextLineMark> marks;
    std::vector<std::uint8_t> binary;
    try {
        binary = ObjectTextToBinary(text, include, &marks);
    } catch (const ObjectTextError& error) {
        throw std::runtime_error(input.string() + ":" + std::to_string(error.Line()) + ": " + error.what());
    }

    std::vector<std::uint8_t> canonical;
    try {
        std::string className = PeekRootClassName(binary);
        const ClassInfo* info = FindClass(className);
        ComponentPtr<TvxComponent> root(info ? info->Create(nullptr) : nullptr);
        if (!root)
            throw ObjectStreamError("Class " + className + " not found", 4, false);
        ObjectReader reader(binary);
        reader.ReadRoot(*root);
        ObjectWriter writer(canonical);
        writer.WriteRoot(*root);
    } catch (const ObjectStreamError& error) {
        throw std::runtime_error(input.string() + ":" + std::to_string(LineAtOffset(marks, error.Position())) + ": " + error.what());
    }
    writeFile(output, canonical.data(), canonical.size());
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
