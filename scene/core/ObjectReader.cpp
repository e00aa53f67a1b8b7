// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectReader.h"

#include "base/Text.h"
#include "base/Utf.h"
#include "scene/core/Extended80.h"
#include "scene/core/TvxCollection.h"
#include "scene/core/TvxComponent.h"
#include "scene/core/TvxFiler.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace nimbrell {

namespace {

// Deeper nesting than any real scene; bounds the recursion on hostile input.
constexpr int kMaxNesting = 200;

std::string formatName(const char* format, std::string_view name)
{
    return Format(format, std::string(name).c_str());
}

}

class ObjectReader::Filer final : public TvxFiler {
public:
    Filer(ObjectReader& reader, std::string_view name)
        : m_reader(reader)
        , m_name(name) { }

    bool Handled() const { return m_handled; }

    void DefineProperty(std::string_view name, const ReadValue& read, const WriteValue&, bool) override
    {
        if (!Matches(name))
            return;
        Run([&] {
            if (read)
                read(m_reader);
            else
                m_reader.SkipValue();
        });
    }

    void DefineBinaryProperty(std::string_view name, const ReadBytes& read, const WriteBytes&, bool) override
    {
        if (!Matches(name))
            return;
        Run([&] {
            if (m_reader.ReadValueType() != TValueType::vaBinary)
                m_reader.Fail("Invalid property value");
            std::size_t length = m_reader.ReadLittleEndian(4);
            auto bytes = m_reader.ReadBytes(length);
            if (read)
                read(bytes);
        });
    }

private:
    bool Matches(std::string_view name) const
    {
        return !m_handled && EqualsIgnoringAsciiCase(name, m_name);
    }

    // The value is consumed whatever the custom reader does with it.
    template<typename F>
    void Run(F&& body)
    {
        m_handled = true;
        std::size_t start = m_reader.Position();
        try {
            body();
        } catch (const ObjectStreamError& error) {
            if (error.IsFatal())
                throw;
            m_reader.SetPosition(start);
            m_reader.SkipValue();
            throw;
        } catch (const std::exception& error) {
            m_reader.SetPosition(start);
            m_reader.SkipValue();
            m_reader.Fail("Invalid property value");
        }
    }

    ObjectReader& m_reader;
    std::string_view m_name;
    bool m_handled { false };
};

void ObjectReader::Fail(const std::string& message) const
{
    throw ObjectStreamError(message, m_entryPosition, false);
}

void ObjectReader::FailFatal(const std::string& message) const
{
    throw ObjectStreamError(message, m_entryPosition, true);
}

std::uint8_t ObjectReader::ReadByte()
{
    if (m_position >= m_data.size())
        FailFatal("Stream read error");
    return m_data[m_position++];
}

std::span<const std::uint8_t> ObjectReader::ReadBytes(std::size_t count)
{
    if (count > m_data.size() - m_position)
        FailFatal("Stream read error");
    auto bytes = m_data.subspan(m_position, count);
    m_position += count;
    return bytes;
}

std::uint64_t ObjectReader::ReadLittleEndian(int count)
{
    auto bytes = ReadBytes(static_cast<std::size_t>(count));
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[static_cast<std::size_t>(i)];
    return value;
}

std::string ObjectReader::ReadShortString()
{
    std::size_t length = ReadByte();
    auto bytes = ReadBytes(length);
    return std::string(bytes.begin(), bytes.end());
}

TValueType ObjectReader::NextValue() const
{
    if (m_position >= m_data.size())
        FailFatal("Stream read error");
    return static_cast<TValueType>(m_data[m_position]);
}

TValueType ObjectReader::ReadValueType()
{
    std::uint8_t tag = ReadByte();
    if (tag > kLastValueType)
        FailFatal("Invalid stream format");
    return static_cast<TValueType>(tag);
}

bool ObjectReader::IsIntegerType(TValueType type)
{
    return type == TValueType::vaInt8 || type == TValueType::vaInt16 || type == TValueType::vaInt32 || type == TValueType::vaInt64;
}

bool ObjectReader::IsTextType(TValueType type)
{
    return type == TValueType::vaString || type == TValueType::vaLString || type == TValueType::vaWString
        || type == TValueType::vaUTF8String;
}

std::int64_t ObjectReader::ReadIntegerPayload(TValueType type)
{
    switch (type) {
    case TValueType::vaInt8:
        return static_cast<std::int8_t>(ReadLittleEndian(1));
    case TValueType::vaInt16:
        return static_cast<std::int16_t>(ReadLittleEndian(2));
    case TValueType::vaInt32:
        return static_cast<std::int32_t>(ReadLittleEndian(4));
    case TValueType::vaInt64:
        return static_cast<std::int64_t>(ReadLittleEndian(8));
    default:
        SkipPayload(type);
        Fail("Invalid property value");
    }
}

std::int64_t ObjectReader::ReadInteger()
{
    return ReadIntegerPayload(ReadValueType());
}

double ObjectReader::ReadFloatPayload(TValueType type)
{
    switch (type) {
    case TValueType::vaExtended: {
        Extended80 bytes;
        auto raw = ReadBytes(10);
        std::memcpy(bytes.data(), raw.data(), 10);
        return DecodeExtendedToDouble(bytes);
    }
    case TValueType::vaDouble:
    case TValueType::vaDate:
        return std::bit_cast<double>(ReadLittleEndian(8));
    case TValueType::vaSingle:
        return std::bit_cast<float>(static_cast<std::uint32_t>(ReadLittleEndian(4)));
    case TValueType::vaCurrency:
        return static_cast<double>(static_cast<std::int64_t>(ReadLittleEndian(8))) / 10000.0;
    default:
        if (IsIntegerType(type))
            return static_cast<double>(ReadIntegerPayload(type));
        SkipPayload(type);
        Fail("Invalid property value");
    }
}

double ObjectReader::ReadFloat()
{
    return ReadFloatPayload(ReadValueType());
}

std::string ObjectReader::ReadTextPayload(TValueType type)
{
    switch (type) {
    case TValueType::vaString: {
        std::size_t length = ReadByte();
        auto bytes = ReadBytes(length);
        return Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case TValueType::vaLString: {
        std::size_t length = ReadLittleEndian(4);
        auto bytes = ReadBytes(length);
        return Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case TValueType::vaUTF8String: {
        std::size_t length = ReadLittleEndian(4);
        auto bytes = ReadBytes(length);
        return SanitizeUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case TValueType::vaWString: {
        std::size_t count = ReadLittleEndian(4);
        if (count > (m_data.size() - m_position) / 2)
            FailFatal("Stream read error");
        std::u16string units(count, u'\0');
        for (std::size_t i = 0; i < count; ++i)
            units[i] = static_cast<char16_t>(ReadLittleEndian(2));
        return Utf16ToUtf8(units);
    }
    default:
        SkipPayload(type);
        Fail("Invalid property value");
    }
}

std::string ObjectReader::ReadText()
{
    return ReadTextPayload(ReadValueType());
}

std::string ObjectReader::ReadIdent()
{
    TValueType type = ReadValueType();
    switch (type) {
    case TValueType::vaIdent:
        return ReadShortString();
    case TValueType::vaFalse:
        return "False";
    case TValueType::vaTrue:
        return "True";
    case TValueType::vaNil:
        return "nil";
    case TValueType::vaNull:
        return "Null";
    default:
        SkipPayload(type);
        Fail("Invalid property value");
    }
}

bool ObjectReader::ReadBoolean()
{
    TValueType type = ReadValueType();
    if (type == TValueType::vaTrue)
        return true;
    if (type == TValueType::vaFalse)
        return false;
    SkipPayload(type);
    Fail("Invalid property value");
}

std::vector<std::uint8_t> ObjectReader::ReadBinary()
{
    TValueType type = ReadValueType();
    if (type != TValueType::vaBinary) {
        SkipPayload(type);
        Fail("Invalid property value");
    }
    std::size_t length = ReadLittleEndian(4);
    auto bytes = ReadBytes(length);
    return { bytes.begin(), bytes.end() };
}

void ObjectReader::ReadListBegin()
{
    TValueType type = ReadValueType();
    if (type != TValueType::vaList) {
        SkipPayload(type);
        Fail("Invalid property value");
    }
}

bool ObjectReader::EndOfList() const
{
    return NextValue() == TValueType::vaNull;
}

void ObjectReader::ReadListEnd()
{
    if (ReadValueType() != TValueType::vaNull)
        FailFatal("Invalid stream format");
}

void ObjectReader::EnterNesting()
{
    if (m_depth >= kMaxNesting)
        FailFatal("Invalid stream format");
}

void ObjectReader::SkipValue()
{
    SkipPayload(ReadValueType());
}

void ObjectReader::SkipPayload(TValueType type)
{
    switch (type) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
        return;
    case TValueType::vaList: {
        EnterNesting();
        ++m_depth;
        while (!EndOfList())
            SkipValue();
        ReadByte();
        --m_depth;
        return;
    }
    case TValueType::vaInt8:
        ReadBytes(1);
        return;
    case TValueType::vaInt16:
        ReadBytes(2);
        return;
    case TValueType::vaInt32:
    case TValueType::vaSingle:
        ReadBytes(4);
        return;
    case TValueType::vaExtended:
        ReadBytes(10);
        return;
    case TValueType::vaInt64:
    case TValueType::vaDouble:
    case TValueType::vaDate:
    case TValueType::vaCurrency:
        ReadBytes(8);
        return;
    case TValueType::vaString:
    case TValueType::vaIdent:
        ReadBytes(ReadByte());
        return;
    case TValueType::vaBinary:
    case TValueType::vaLString:
    case TValueType::vaUTF8String:
        ReadBytes(ReadLittleEndian(4));
        return;
    case TValueType::vaWString: {
        std::size_t count = ReadLittleEndian(4);
        if (count > (m_data.size() - m_position) / 2)
            FailFatal("Stream read error");
        ReadBytes(count * 2);
        return;
    }
    case TValueType::vaSet:
        while (!ReadShortString().empty()) { }
        return;
    case TValueType::vaCollection: {
        EnterNesting();
        ++m_depth;
        while (!EndOfList()) {
            if (IsIntegerType(NextValue()))
                ReadInteger();
            ReadListBegin();
            SkipProperties();
        }
        ReadByte();
        --m_depth;
        return;
    }
    }
    FailFatal("Invalid stream format");
}

std::uint8_t ObjectReader::ReadPrefix(std::int64_t* childPosition)
{
    if (m_position >= m_data.size() || (m_data[m_position] & 0xF0) != 0xF0)
        return 0;
    std::uint8_t flags = ReadByte() & 0x0F;
    if (flags & ffChildPos) {
        std::int64_t position = ReadInteger();
        if (childPosition)
            *childPosition = position;
    }
    return flags;
}

void ObjectReader::SkipProperties()
{
    while (!EndOfList()) {
        ReadShortString();
        SkipValue();
    }
    ReadByte();
}

void ObjectReader::SkipChildren()
{
    EnterNesting();
    ++m_depth;
    while (!EndOfList()) {
        ReadPrefix();
        ReadShortString();
        ReadShortString();
        SkipObjectBody();
    }
    ReadByte();
    --m_depth;
}

void ObjectReader::SkipObjectBody()
{
    SkipProperties();
    SkipChildren();
}

void ObjectReader::OfferError(const ObjectStreamError& error)
{
    if (error.IsFatal())
        throw error;
    bool handled = false;
    if (m_onError)
        m_onError(*this, error.what(), handled);
    if (!handled)
        throw error;
}

void ObjectReader::ReadRoot(TvxComponent& root)
{
    m_root = &root;
    if (!m_owner)
        m_owner = &root;
    m_entryPosition = m_position;
    auto signature = m_data.size() - m_position >= 4 ? m_data.subspan(m_position, 4) : std::span<const std::uint8_t>();
    if (signature.empty() || std::memcmp(signature.data(), kStreamSignature, 4) != 0)
        FailFatal("Invalid stream format");
    m_position += 4;

    bool wasReading = root.HasState(ComponentState::Reading);
    root.SetState(ComponentState::Loading);
    root.SetState(ComponentState::Reading);
    m_loaded.push_back(&root);
    try {
        ReadPrefix();
        ReadShortString();
        std::string name = ReadShortString();
        if (m_onSetName)
            m_onSetName(*this, root, name);
        try {
            root.SetName(name);
        } catch (const std::runtime_error& error) {
            FailFatal(error.what());
        }
        ReadProperties(root);
        ReadChildren(root);
        ResolveFixups();
    } catch (...) {
        for (TvxComponent* component : m_loaded) {
            component->ClearState(ComponentState::Loading);
            component->ClearState(ComponentState::Reading);
        }
        m_loaded.clear();
        throw;
    }
    if (!wasReading)
        root.ClearState(ComponentState::Reading);
    auto loaded = std::move(m_loaded);
    m_loaded.clear();
    for (TvxComponent* component : loaded) {
        component->ClearState(ComponentState::Reading);
        component->Loaded();
    }
}

void ObjectReader::ReadProperties(TvxPersistent& object)
{
    while (!EndOfList())
        ReadPropertyEntry(object);
    ReadByte();
}

void ObjectReader::ReadPropertyEntry(TvxPersistent& object)
{
    m_entryPosition = m_position;
    std::string name = ReadShortString();
    const TvxPersistent* outer = m_entryOwner;
    m_entryOwner = &object;
    try {
        ReadPropertyPath(object, name);
    } catch (const ObjectStreamError& error) {
        m_entryOwner = outer;
        OfferError(error);
        return;
    }
    m_entryOwner = outer;
}

bool ObjectReader::OfferCustomProperty(TvxPersistent& object, std::string_view name)
{
    Filer filer(*this, name);
    object.DefineProperties(filer);
    return filer.Handled();
}

void ObjectReader::ReadPropertyPath(TvxPersistent& object, const std::string& path)
{
    TvxPersistent* current = &object;
    std::string_view rest = path;
    for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
        std::string_view segment = rest.substr(0, dot);
        rest = rest.substr(dot + 1);
        const PropertyInfo* property = current->Class().FindProperty(segment);
        if (!property) {
            if (OfferCustomProperty(*current, path))
                return;
            SkipValue();
            Fail(formatName("Property %s does not exist", path));
        }
        TvxPersistent* next = property->Kind() == PropertyKind::Object ? property->GetObject(*current) : nullptr;
        if (!next) {
            SkipValue();
            Fail("Invalid property path");
        }
        current = next;
    }
    if (const PropertyInfo* property = current->Class().FindProperty(rest)) {
        ReadPropertyValue(*current, *property);
        return;
    }
    if (OfferCustomProperty(*current, rest))
        return;
    SkipValue();
    Fail(formatName("Property %s does not exist", rest));
}

void ObjectReader::ReadPropertyValue(TvxPersistent& object, const PropertyInfo& property)
{
    PropertyKind kind = property.Kind();
    if (kind == PropertyKind::Collection) {
        if (NextValue() != TValueType::vaCollection) {
            SkipValue();
            Fail("Invalid property value");
        }
        ReadByte();
        TvxCollection* collection = property.GetCollection(object);
        if (!collection) {
            SkipPayload(TValueType::vaCollection);
            Fail("Invalid property value");
        }
        ReadCollection(*collection);
        return;
    }
    if (!property.CanWrite()) {
        SkipValue();
        Fail("Invalid property value");
    }

    TValueType type = ReadValueType();
    // Every branch consumes the whole value before it can fail.
    try {
        switch (kind) {
        case PropertyKind::Integer: {
            if (type == TValueType::vaIdent && property.Identifiers()) {
                auto value = property.Identifiers()->fromIdentifier(ReadShortString());
                if (!value)
                    Fail("Invalid property value");
                property.SetInteger(object, *value);
                return;
            }
            property.SetInteger(object, ReadIntegerPayload(type));
            return;
        }
        case PropertyKind::Enumeration: {
            std::string identifier;
            if (type == TValueType::vaIdent)
                identifier = ReadShortString();
            else if (type == TValueType::vaFalse || type == TValueType::vaTrue)
                identifier = type == TValueType::vaTrue ? "True" : "False";
            else {
                SkipPayload(type);
                Fail("Invalid property value");
            }
            if (!property.SetIdentifier(object, identifier))
                Fail("Invalid property value");
            return;
        }
        case PropertyKind::Set: {
            if (type != TValueType::vaSet) {
                SkipPayload(type);
                Fail("Invalid property value");
            }
            std::uint64_t bits = 0;
            bool valid = true;
            for (std::string identifier = ReadShortString(); !identifier.empty(); identifier = ReadShortString()) {
                auto ordinal = property.Enum()->Ordinal(identifier);
                if (ordinal && *ordinal < 64)
                    bits |= std::uint64_t(1) << *ordinal;
                else
                    valid = false;
            }
            if (!valid)
                Fail("Invalid property value");
            property.SetInteger(object, static_cast<std::int64_t>(bits));
            return;
        }
        case PropertyKind::Float: {
            float value;
            if (type == TValueType::vaExtended) {
                Extended80 bytes;
                auto raw = ReadBytes(10);
                std::memcpy(bytes.data(), raw.data(), 10);
                value = DecodeExtendedToFloat(bytes);
            } else {
                value = static_cast<float>(ReadFloatPayload(type));
            }
            // NaN and infinities (a double too large for a float included) would reach
            // float-to-int conversions and image sizes.
            if (!std::isfinite(value))
                Fail("Invalid property value");
            property.SetFloat(object, value);
            return;
        }
        case PropertyKind::Text:
            property.SetText(object, ReadTextPayload(type));
            return;
        case PropertyKind::Reference:
            if (type == TValueType::vaNil) {
                property.SetReference(object, nullptr);
                return;
            }
            if (type != TValueType::vaIdent) {
                SkipPayload(type);
                Fail("Invalid property value");
            }
            m_fixups.push_back({ &object, &property, ReadShortString(), m_entryOwner });
            return;
        case PropertyKind::Event: {
            if (type == TValueType::vaNil) {
                property.BindMethod(object, m_root, {});
                return;
            }
            if (type != TValueType::vaIdent) {
                SkipPayload(type);
                Fail("Invalid property value");
            }
            if (!property.BindMethod(object, m_root, ReadShortString()))
                Fail("Invalid property value");
            return;
        }
        case PropertyKind::Object:
        case PropertyKind::Collection:
            SkipPayload(type);
            Fail("Invalid property value");
        }
    } catch (const ObjectStreamError&) {
        throw;
    } catch (const std::exception&) {
        // A setter refused the value; the value itself was consumed.
        Fail("Invalid property value");
    }
}

void ObjectReader::ReadCollection(TvxCollection& collection)
{
    EnterNesting();
    ++m_depth;
    collection.BeginUpdate();
    try {
        // References read into the items about to go are dropped with them.
        std::erase_if(m_fixups, [&](const Fixup& fixup) {
            for (int i = 0; i < collection.Count(); ++i) {
                if (fixup.entryOwner == &collection.Item(i))
                    return true;
            }
            return false;
        });
        collection.Clear();
        while (!EndOfList()) {
            if (IsIntegerType(NextValue()))
                ReadInteger();
            if (ReadValueType() != TValueType::vaList)
                FailFatal("Invalid stream format");
            TvxCollectionItem& item = collection.Add();
            ReadProperties(item);
        }
        ReadByte();
    } catch (...) {
        collection.EndUpdate();
        throw;
    }
    collection.EndUpdate();
    --m_depth;
}

void ObjectReader::ReadChildren(TvxComponent& parent)
{
    EnterNesting();
    ++m_depth;
    while (!EndOfList())
        ReadChild(parent);
    ReadByte();
    --m_depth;
}

void ObjectReader::ReadChild(TvxComponent& parent)
{
    m_entryPosition = m_position;
    ReadPrefix();
    std::string className = ReadShortString();
    std::string name = ReadShortString();

    const ClassInfo* info = FindClass(className);
    TvxComponent* child = info ? info->Create(m_owner) : nullptr;
    if (!child) {
        SkipObjectBody();
        OfferError(ObjectStreamError(formatName("Class %s not found", className), m_entryPosition, false));
        return;
    }
    child->SetState(ComponentState::Loading);
    child->SetState(ComponentState::Reading);
    try {
        if (m_onSetName) {
            m_onSetName(*this, *child, name);
            child->SetName(name);
        } else {
            child->SetName(name);
        }
        if (!parent.AcceptsStreamChild(*child))
            throw std::runtime_error("Invalid stream format");
    } catch (const std::exception& error) {
        std::size_t position = m_entryPosition;
        child->Free();
        SkipObjectBody();
        OfferError(ObjectStreamError(error.what(), position, false));
        return;
    }
    if (!m_onSetName) {
        if (const FieldInfo* field = m_root->Class().FindField(name))
            field->assign(*m_root, child);
    }
    m_loaded.push_back(child);
    ReadProperties(*child);
    parent.AddStreamChild(*child);
    ReadChildren(*child);
}

void ObjectReader::ResolveFixups()
{
    for (const Fixup& fixup : m_fixups) {
        TvxComponent* target = m_owner->FindComponent(fixup.name);
        if (!target && m_root && !m_root->Name().empty() && EqualsIgnoringAsciiCase(m_root->Name(), fixup.name))
            target = m_root;
        if (!target)
            continue;
        try {
            fixup.property->SetReference(*fixup.object, target);
        } catch (const std::invalid_argument&) {
            // A component of another class: the reference stays empty.
        }
    }
    m_fixups.clear();
}

}
