// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes objects as binary object streams: defaults omitted, the smallest integer tag,
// zero floats omitted, texts by their shorter encoding, sub-objects under dotted names.

#include "scene/core/ObjectStream.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class TvxComponent;
class TvxPersistent;

class ObjectWriter {
public:
    explicit ObjectWriter(std::vector<std::uint8_t>& out)
        : m_out(out) { }

    // The signature and the root record with its stored descendants.
    void WriteRoot(TvxComponent& root);
    void WriteSignature();
    void WriteObjectRecord(TvxComponent& component);

    // Value level, for custom properties and tools.
    void WriteValueType(TValueType type) { WriteByte(static_cast<std::uint8_t>(type)); }
    void WriteInteger(std::int64_t value);
    // vaExtended.
    void WriteFloat(double value);
    void WriteText(std::string_view utf8);
    void WriteIdent(std::string_view identifier);
    void WriteBoolean(bool value) { WriteValueType(value ? TValueType::vaTrue : TValueType::vaFalse); }
    void WriteBinary(std::span<const std::uint8_t> bytes);
    void WriteListBegin() { WriteValueType(TValueType::vaList); }
    void WriteListEnd() { WriteValueType(TValueType::vaNull); }
    // Cut at 255 bytes.
    void WriteShortString(std::string_view text);
    void WriteByte(std::uint8_t value) { m_out.push_back(value); }
    void WriteLittleEndian(std::uint64_t value, int bytes);
    void WriteBytes(std::span<const std::uint8_t> bytes) { m_out.insert(m_out.end(), bytes.begin(), bytes.end()); }
    void WritePropertyName(std::string_view name) { WriteShortString(name); }

    // The text tag the writer chooses for a text.
    static TValueType TextValueType(std::string_view utf8);

private:
    class Filer;

    void WriteProperties(TvxPersistent& object, const std::string& prefix);

    std::vector<std::uint8_t>& m_out;
};

}
