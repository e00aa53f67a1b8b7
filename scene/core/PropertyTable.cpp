// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/PropertyTable.h"

#include "base/Text.h"
#include "scene/core/TvxComponent.h"

#include <stdexcept>

namespace nimbrell {

std::size_t detail::CaseInsensitiveHash::operator()(std::string_view name) const noexcept
{
    std::size_t hash = 1469598103934665603ull;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z')
            byte = static_cast<unsigned char>(byte - 'A' + 'a');
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

bool detail::CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    return EqualsIgnoringAsciiCase(a, b);
}

EnumInfo::EnumInfo(std::string name, std::vector<std::string> identifiers)
    : m_name(std::move(name))
    , m_identifiers(std::move(identifiers))
{
}

std::string_view EnumInfo::Identifier(std::int64_t ordinal) const
{
    if (ordinal < 0 || ordinal >= Count())
        return {};
    return m_identifiers[static_cast<std::size_t>(ordinal)];
}

std::optional<int> EnumInfo::Ordinal(std::string_view identifier) const
{
    for (int i = 0; i < Count(); ++i) {
        if (EqualsIgnoringAsciiCase(m_identifiers[static_cast<std::size_t>(i)], identifier))
            return i;
    }
    return std::nullopt;
}

const EnumInfo& EnumInfo::Boolean()
{
    static const EnumInfo info("Boolean", { "False", "True" });
    return info;
}

bool PropertyInfo::CanWrite() const
{
    switch (m_kind) {
    case PropertyKind::Integer:
    case PropertyKind::Enumeration:
    case PropertyKind::Set:
        return static_cast<bool>(m_setInteger);
    case PropertyKind::Float:
        return static_cast<bool>(m_setFloat);
    case PropertyKind::Text:
        return static_cast<bool>(m_setText);
    case PropertyKind::Reference:
        return static_cast<bool>(m_setReference);
    case PropertyKind::Event:
        return true;
    case PropertyKind::Object:
    case PropertyKind::Collection:
        return false;
    }
    return false;
}

bool PropertyInfo::IsStored(const TvxPersistent& object) const
{
    switch (m_stored) {
    case Stored::Always:
        return true;
    case Stored::Never:
        return false;
    case Stored::Predicate:
        return m_storedWhen(object);
    }
    return true;
}

namespace {

[[noreturn]] void wrongKind(std::string_view name)
{
    throw std::logic_error("property " + std::string(name) + " accessed as the wrong kind");
}

}

std::int64_t PropertyInfo::GetInteger(const TvxPersistent& object) const
{
    if (!m_getInteger)
        wrongKind(m_name);
    return m_getInteger(object);
}

void PropertyInfo::SetInteger(TvxPersistent& object, std::int64_t value) const
{
    if (m_setInteger)
        m_setInteger(object, value);
}

float PropertyInfo::GetFloat(const TvxPersistent& object) const
{
    if (!m_getFloat)
        wrongKind(m_name);
    return m_getFloat(object);
}

void PropertyInfo::SetFloat(TvxPersistent& object, float value) const
{
    if (m_setFloat)
        m_setFloat(object, value);
}

std::string PropertyInfo::GetText(const TvxPersistent& object) const
{
    if (!m_getText)
        wrongKind(m_name);
    return m_getText(object);
}

void PropertyInfo::SetText(TvxPersistent& object, std::string_view value) const
{
    if (m_setText)
        m_setText(object, value);
}

TvxPersistent* PropertyInfo::GetObject(const TvxPersistent& object) const
{
    if (!m_getObject)
        wrongKind(m_name);
    return m_getObject(object);
}

void PropertyInfo::SetReference(TvxPersistent& object, TvxComponent* component) const
{
    if (m_setReference)
        m_setReference(object, component);
}

TvxCollection* PropertyInfo::GetCollection(const TvxPersistent& object) const
{
    if (!m_getCollection)
        wrongKind(m_name);
    return m_getCollection(object);
}

std::string PropertyInfo::GetIdentifier(const TvxPersistent& object) const
{
    if (!m_enum)
        wrongKind(m_name);
    return std::string(m_enum->Identifier(GetInteger(object)));
}

bool PropertyInfo::SetIdentifier(TvxPersistent& object, std::string_view identifier) const
{
    if (!m_enum)
        wrongKind(m_name);
    auto ordinal = m_enum->Ordinal(identifier);
    if (!ordinal)
        return false;
    SetInteger(object, *ordinal);
    return true;
}

std::string PropertyInfo::GetMethodName(const TvxPersistent& object) const
{
    if (!m_getMethodName)
        wrongKind(m_name);
    return m_getMethodName(object);
}

bool PropertyInfo::BindMethod(TvxPersistent& object, TvxComponent* methodOwner, std::string_view methodName) const
{
    if (!m_bindMethod)
        wrongKind(m_name);
    return m_bindMethod(object, methodOwner, methodName);
}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const
{
    for (const ClassInfo* info = this; info; info = info->m_parent) {
        if (info == &other)
            return true;
    }
    return false;
}

const PropertyInfo* ClassInfo::FindProperty(std::string_view name) const
{
    auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : it->second;
}

const MethodInfo* ClassInfo::FindMethod(std::string_view name) const
{
    for (const ClassInfo* info = this; info; info = info->m_parent) {
        for (const MethodInfo& method : info->m_methods) {
            if (EqualsIgnoringAsciiCase(method.name, name))
                return &method;
        }
    }
    return nullptr;
}

const FieldInfo* ClassInfo::FindField(std::string_view name) const
{
    for (const ClassInfo* info = this; info; info = info->m_parent) {
        for (const FieldInfo& field : info->m_fields) {
            if (EqualsIgnoringAsciiCase(field.name, name))
                return &field;
        }
    }
    return nullptr;
}

TvxComponent* ClassInfo::Create(TvxComponent* owner) const
{
    if (!m_factory)
        return nullptr;
    return m_factory(owner);
}

ResolvedProperty ResolvePropertyPath(TvxPersistent& root, std::string_view path)
{
    ResolvedProperty result;
    result.holder = &root;
    std::string_view rest = path;
    for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
        std::string_view segment = TrimAsciiWhitespace(rest.substr(0, dot));
        rest = TrimAsciiWhitespace(rest.substr(dot + 1));
        const PropertyInfo* property = result.holder->Class().FindProperty(segment);
        if (!property || !property->IsObjectKind())
            continue;
        TvxPersistent* next = property->GetObject(*result.holder);
        if (!next)
            return {};
        result.holder = next;
    }
    result.finalName = std::string(TrimAsciiWhitespace(rest));
    result.property = result.holder->Class().FindProperty(result.finalName);
    return result;
}

}
