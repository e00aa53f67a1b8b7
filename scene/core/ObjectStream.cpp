// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectStream.h"

#include "base/Text.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/TvxObject.h"
#include "scene/core/TvxPopupMenu.h"

#include <cstring>
#include <unordered_map>

namespace nimbrell {

namespace {

std::unordered_map<std::string, const ClassInfo*>& classes()
{
    static std::unordered_map<std::string, const ClassInfo*> registry;
    return registry;
}

}

void RegisterClass(const ClassInfo& info)
{
    classes()[AsciiLower(info.Name())] = &info;
}

const ClassInfo* FindClass(std::string_view name)
{
    auto it = classes().find(AsciiLower(name));
    return it == classes().end() ? nullptr : it->second;
}

void RegisterSceneCoreClasses()
{
    RegisterClass<TvxObject>();
    RegisterClass<TvxPopupMenu>();
    RegisterClass<TvxMenuItem>();
}

void ReadObjectStream(std::span<const std::uint8_t> stream, TvxComponent& root)
{
    ObjectReader reader(stream);
    reader.ReadRoot(root);
}

std::string PeekRootClassName(std::span<const std::uint8_t> stream)
{
    ObjectReader reader(stream);
    try {
        if (stream.size() < 4 || std::memcmp(stream.data(), kStreamSignature, 4) != 0)
            return {};
        reader.SetPosition(4);
        reader.ReadPrefix();
        return reader.ReadShortString();
    } catch (const ObjectStreamError&) {
        return {};
    }
}

TvxObject* CreateObjectFromStream(std::span<const std::uint8_t> stream, TvxComponent* owner)
{
    const ClassInfo* info = FindClass(PeekRootClassName(stream));
    if (!info)
        return nullptr;
    TvxComponent* component = info->Create(owner);
    auto* object = dynamic_cast<TvxObject*>(component);
    if (!object) {
        if (component)
            component->Free();
        return nullptr;
    }
    ObjectReader reader(stream);
    reader.OnSetName([](ObjectReader&, TvxComponent&, std::string& name) { name.clear(); });
    reader.OnError([](ObjectReader&, const std::string&, bool& handled) { handled = true; });
    object->SetState(ComponentState::Designing);
    try {
        reader.ReadRoot(*object);
    } catch (const std::exception&) {
        object->Free();
        return nullptr;
    }
    object->ClearState(ComponentState::Designing);
    return object;
}

}
