// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The binary object stream: "TPF0" and one object record. Shared definitions of the
// reader and the writer, and the class registry the reader creates objects from.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nimbrell {

class ClassInfo;
class TvxComponent;
class TvxObject;

enum class TValueType : std::uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};
constexpr std::uint8_t kLastValueType = 21;

// Object record prefix flags.
constexpr std::uint8_t ffInherited = 1;
constexpr std::uint8_t ffChildPos = 2;
constexpr std::uint8_t ffInline = 4;

inline constexpr char kStreamSignature[4] = { 'T', 'P', 'F', '0' };

// A reading failure. Fatal errors (the stream ended, or its structure is broken) end the
// read whatever the error handler says; the others may be marked handled.
class ObjectStreamError : public std::runtime_error {
public:
    ObjectStreamError(const std::string& message, std::size_t position, bool fatal)
        : std::runtime_error(message)
        , m_position(position)
        , m_fatal(fatal)
    {
    }
    // Offset of the start of the entry (property or object record) that failed.
    std::size_t Position() const { return m_position; }
    bool IsFatal() const { return m_fatal; }

private:
    std::size_t m_position;
    bool m_fatal;
};

// The class registry: register scene classes at start-up, before any stream is read.
void RegisterClass(const ClassInfo& info);
template<typename T>
void RegisterClass() { RegisterClass(T::StaticClass()); }
// Matched without regard to case; none when not registered.
const ClassInfo* FindClass(std::string_view name);
// Registers the classes of this library that streams name.
void RegisterSceneCoreClasses();

// Reads the signature and the root record into an existing object, without handlers:
// any error ends the read with ObjectStreamError.
void ReadObjectStream(std::span<const std::uint8_t> stream, TvxComponent& root);

// Creates an object of the stream's root class owned by owner (none: the caller frees it)
// and reads the stream into it with empty names and every property error handled.
// None on any failure.
TvxObject* CreateObjectFromStream(std::span<const std::uint8_t> stream, TvxComponent* owner);

// The root record's class name, or empty when the stream does not start like one.
std::string PeekRootClassName(std::span<const std::uint8_t> stream);

}
