// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectWriter.h"

#include "base/Utf.h"
#include "scene/core/Extended80.h"
#include "scene/core/TvxCollection.h"
#include "scene/core/TvxComponent.h"
#include "scene/core/TvxFiler.h"

namespace nimbrell {

class ObjectWriter::Filer final : public TvxFiler {
public:
    Filer(ObjectWriter& writer, const std::string& prefix)
        : m_writer(writer)
        , m_prefix(prefix) { }

    void DefineProperty(std::string_view name, const ReadValue&, const WriteValue& write, bool hasData) override
    {
        if (!hasData || !write)
            return;
        m_writer.WritePropertyName(m_prefix + std::string(name));
        write(m_writer);
    }

    void DefineBinaryProperty(std::string_view name, const ReadBytes&, const WriteBytes& write, bool hasData) override
    {
        if (!hasData || !write)
            return;
        std::vector<std::uint8_t> bytes;
        write(bytes);
        m_writer.WritePropertyName(m_prefix + std::string(name));
        m_writer.WriteBinary(bytes);
    }

private:
    ObjectWriter& m_writer;
    const std::string& m_prefix;
};

void ObjectWriter::WriteLittleEndian(std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        m_out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void ObjectWriter::WriteShortString(std::string_view text)
{
    if (text.size() > 255)
        text = text.substr(0, 255);
    WriteByte(static_cast<std::uint8_t>(text.size()));
    m_out.insert(m_out.end(), text.begin(), text.end());
}

void ObjectWriter::WriteInteger(std::int64_t value)
{
    if (value >= INT8_MIN && value <= INT8_MAX) {
        WriteValueType(TValueType::vaInt8);
        WriteLittleEndian(static_cast<std::uint64_t>(value), 1);
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        WriteValueType(TValueType::vaInt16);
        WriteLittleEndian(static_cast<std::uint64_t>(value), 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValueType(TValueType::vaInt32);
        WriteLittleEndian(static_cast<std::uint64_t>(value), 4);
    } else {
        WriteValueType(TValueType::vaInt64);
        WriteLittleEndian(static_cast<std::uint64_t>(value), 8);
    }
}

void ObjectWriter::WriteFloat(double value)
{
    WriteValueType(TValueType::vaExtended);
    Extended80 bytes = EncodeExtended(value);
    m_out.insert(m_out.end(), bytes.begin(), bytes.end());
}

TValueType ObjectWriter::TextValueType(std::string_view utf8)
{
    std::size_t units = Utf16Length(utf8);
    if (utf8.size() >= 2 * units)
        return TValueType::vaWString;
    for (char c : utf8) {
        if (static_cast<unsigned char>(c) >= 128)
            return TValueType::vaUTF8String;
    }
    return utf8.size() <= 255 ? TValueType::vaString : TValueType::vaLString;
}

void ObjectWriter::WriteText(std::string_view utf8)
{
    TValueType type = TextValueType(utf8);
    WriteValueType(type);
    switch (type) {
    case TValueType::vaString:
        WriteByte(static_cast<std::uint8_t>(utf8.size()));
        break;
    case TValueType::vaLString:
    case TValueType::vaUTF8String:
        WriteLittleEndian(utf8.size(), 4);
        break;
    default: {
        std::u16string units = Utf8ToUtf16(utf8);
        WriteLittleEndian(units.size(), 4);
        for (char16_t unit : units)
            WriteLittleEndian(unit, 2);
        return;
    }
    }
    m_out.insert(m_out.end(), utf8.begin(), utf8.end());
}

void ObjectWriter::WriteIdent(std::string_view identifier)
{
    WriteValueType(TValueType::vaIdent);
    WriteShortString(identifier);
}

void ObjectWriter::WriteBinary(std::span<const std::uint8_t> bytes)
{
    WriteValueType(TValueType::vaBinary);
    WriteLittleEndian(bytes.size(), 4);
    WriteBytes(bytes);
}

void ObjectWriter::WriteSignature()
{
    for (char c : kStreamSignature)
        WriteByte(static_cast<std::uint8_t>(c));
}

void ObjectWriter::WriteRoot(TvxComponent& root)
{
    WriteSignature();
    WriteObjectRecord(root);
}

void ObjectWriter::WriteObjectRecord(TvxComponent& component)
{
    bool wasWriting = component.HasState(ComponentState::Writing);
    component.SetState(ComponentState::Writing);
    WriteShortString(component.Class().Name());
    WriteShortString(component.Name());
    WriteProperties(component, {});
    WriteListEnd();
    component.ForEachStoredChild([this](TvxComponent& child) { WriteObjectRecord(child); });
    WriteListEnd();
    if (!wasWriting)
        component.ClearState(ComponentState::Writing);
}

void ObjectWriter::WriteProperties(TvxPersistent& object, const std::string& prefix)
{
    for (const PropertyInfo* property : object.Class().Properties()) {
        PropertyKind kind = property->Kind();
        bool writable = property->CanWrite() || kind == PropertyKind::Object || kind == PropertyKind::Collection;
        if (!writable || !property->IsStored(object))
            continue;
        auto name = [&] { return prefix + std::string(property->Name()); };
        switch (kind) {
        case PropertyKind::Integer: {
            std::int64_t value = property->GetInteger(object);
            if (property->Default() == value)
                break;
            WritePropertyName(name());
            std::optional<std::string> identifier;
            if (const IntegerIdentifiers* identifiers = property->Identifiers())
                identifier = identifiers->toIdentifier(value);
            if (identifier)
                WriteIdent(*identifier);
            else
                WriteInteger(value);
            break;
        }
        case PropertyKind::Enumeration: {
            std::int64_t value = property->GetInteger(object);
            if (property->Default() == value)
                break;
            WritePropertyName(name());
            if (property->Enum()->IsBoolean())
                WriteBoolean(value != 0);
            else
                WriteIdent(property->Enum()->Identifier(value));
            break;
        }
        case PropertyKind::Set: {
            std::int64_t bits = property->GetInteger(object);
            if (property->Default() == bits)
                break;
            WritePropertyName(name());
            WriteValueType(TValueType::vaSet);
            const EnumInfo& info = *property->Enum();
            for (int ordinal = 0; ordinal < info.Count() && ordinal < 64; ++ordinal) {
                if (static_cast<std::uint64_t>(bits) & (std::uint64_t(1) << ordinal))
                    WriteShortString(info.Identifier(ordinal));
            }
            WriteShortString({});
            break;
        }
        case PropertyKind::Float: {
            float value = property->GetFloat(object);
            if (value == 0)
                break;
            WritePropertyName(name());
            WriteFloat(value);
            break;
        }
        case PropertyKind::Text: {
            std::string value = property->GetText(object);
            if (value.empty())
                break;
            WritePropertyName(name());
            WriteText(value);
            break;
        }
        case PropertyKind::Object:
            if (TvxPersistent* sub = property->GetObject(object))
                WriteProperties(*sub, name() + ".");
            break;
        case PropertyKind::Reference: {
            auto* component = dynamic_cast<TvxComponent*>(property->GetObject(object));
            if (!component || component->Name().empty())
                break;
            WritePropertyName(name());
            WriteIdent(component->Name());
            break;
        }
        case PropertyKind::Event: {
            std::string method = property->GetMethodName(object);
            if (method.empty())
                break;
            WritePropertyName(name());
            WriteIdent(method);
            break;
        }
        case PropertyKind::Collection: {
            TvxCollection* collection = property->GetCollection(object);
            // Written even when empty: a class's default items may differ from none.
            if (!collection)
                break;
            WritePropertyName(name());
            WriteValueType(TValueType::vaCollection);
            for (int i = 0; i < collection->Count(); ++i) {
                WriteListBegin();
                WriteProperties(collection->Item(i), {});
                WriteListEnd();
            }
            WriteListEnd();
            break;
        }
        }
    }
    Filer filer(*this, prefix);
    object.DefineProperties(filer);
}

}
