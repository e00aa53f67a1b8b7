// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own resources: files linked into the executable at build time
// (nimbrell_embed_resources in CMake) and found by name and type.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace nimbrell::platform {

struct ResourceEntry {
    const char* name;
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// Generated code holds one of these at namespace scope; it adds its entries to
// the process-wide table before main runs.
struct ResourceRegistration {
    explicit ResourceRegistration(std::span<const ResourceEntry> entries);
};

// Names and types are compared without regard to ASCII case. Returns nothing
// when no such resource was linked in.
std::optional<std::span<const unsigned char>> FindResource(std::string_view name, std::string_view type);
// Every resource of the type, in the order they were linked in.
std::vector<ResourceEntry> ResourcesOfType(std::string_view type);

// True when all of `bytes` lie in one linked-in resource: they stay readable
// for the life of the process, so a reader may keep a view instead of a copy.
bool InResource(std::span<const unsigned char> bytes);

// Gives back the memory pages that hold only the resource's bytes, once they
// have been read: what is read once at start (a stored scene, the database)
// then stops counting as the program's resident memory. The bytes stay
// readable; a later read maps them again from the program file.
void ReleaseResource(std::span<const unsigned char> resource);

}
