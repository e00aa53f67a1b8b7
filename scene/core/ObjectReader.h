// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads a binary object stream into objects: classes by name from the registry,
// properties by name through the property table, references resolved after the
// stream, events bound to methods of the stream's window, Loaded in reading order.

#include "scene/core/ObjectStream.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class PropertyInfo;
class TvxCollection;
class TvxComponent;
class TvxPersistent;

class ObjectReader {
public:
    explicit ObjectReader(std::span<const std::uint8_t> stream)
        : m_data(stream) { }

    // May change the name given to each object read (Clone gives every object an empty
    // name). Without a handler names must be unique among the owner's components.
    using NameHandler = std::function<void(ObjectReader&, TvxComponent&, std::string& name)>;
    // May mark a reading error handled; reading then goes on with the next entry.
    using ErrorHandler = std::function<void(ObjectReader&, const std::string& message, bool& handled)>;
    void OnSetName(NameHandler handler) { m_onSetName = std::move(handler); }
    void OnError(ErrorHandler handler) { m_onError = std::move(handler); }
    // The owner of the objects created from child records; the root when not set.
    void SetOwner(TvxComponent* owner) { m_owner = owner; }

    // Reads the signature and the root record into root. Throws ObjectStreamError.
    void ReadRoot(TvxComponent& root);

    std::size_t Position() const { return m_position; }
    void SetPosition(std::size_t position) { m_position = position; }
    bool AtEnd() const { return m_position >= m_data.size(); }

    // Value level, for custom properties and tools; each throws ObjectStreamError.
    TValueType NextValue() const;
    TValueType ReadValueType();
    // Any integer tag.
    std::int64_t ReadInteger();
    // vaExtended, vaDouble, vaSingle, vaCurrency, vaDate or any integer tag.
    double ReadFloat();
    // Any string tag, as UTF-8.
    std::string ReadText();
    std::string ReadIdent();
    bool ReadBoolean();
    std::vector<std::uint8_t> ReadBinary();
    void ReadListBegin();
    bool EndOfList() const;
    void ReadListEnd();
    void SkipValue();
    std::string ReadShortString();
    std::uint8_t ReadByte();
    std::uint64_t ReadLittleEndian(int bytes);
    std::span<const std::uint8_t> ReadBytes(std::size_t count);
    // The payload of a value whose tag was read already.
    std::int64_t ReadIntegerPayload(TValueType type);
    double ReadFloatPayload(TValueType type);
    std::string ReadTextPayload(TValueType type);
    void SkipPayload(TValueType type);
    // Reads an optional prefix; returns its flags (0 without one).
    std::uint8_t ReadPrefix(std::int64_t* childPosition = nullptr);

    static bool IsIntegerType(TValueType type);
    static bool IsTextType(TValueType type);

    [[noreturn]] void Fail(const std::string& message) const;
    [[noreturn]] void FailFatal(const std::string& message) const;

private:
    class Filer;
    struct Fixup {
        TvxPersistent* object;
        const PropertyInfo* property;
        std::string name;
        // The component or collection item whose entry holds the reference.
        const TvxPersistent* entryOwner;
    };

    void ReadProperties(TvxPersistent& object);
    void ReadPropertyEntry(TvxPersistent& object);
    void ReadPropertyPath(TvxPersistent& object, const std::string& path);
    void ReadPropertyValue(TvxPersistent& object, const PropertyInfo& property);
    void ReadCollection(TvxCollection& collection);
    bool OfferCustomProperty(TvxPersistent& object, std::string_view name);
    void ReadChildren(TvxComponent& parent);
    void ReadChild(TvxComponent& parent);
    void SkipObjectBody();
    void SkipProperties();
    void SkipChildren();
    void OfferError(const ObjectStreamError& error);
    void ResolveFixups();
    void EnterNesting();

    std::span<const std::uint8_t> m_data;
    std::size_t m_position { 0 };
    std::size_t m_entryPosition { 0 };
    const TvxPersistent* m_entryOwner { nullptr };
    int m_depth { 0 };
    NameHandler m_onSetName;
    ErrorHandler m_onError;
    TvxComponent* m_owner { nullptr };
    TvxComponent* m_root { nullptr };
    std::vector<TvxComponent*> m_loaded;
    std::vector<Fixup> m_fixups;
};

}
