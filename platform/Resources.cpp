// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Resources.h"

#include "base/Text.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace nimbrell::platform {

namespace {

std::vector<ResourceEntry>& table()
{
    static std::vector<ResourceEntry> entries;
    return entries;
}

}

ResourceRegistration::ResourceRegistration(std::span<const ResourceEntry> entries)
{
    for (const auto& entry : entries) {
        if (entry.data)
            table().push_back(entry);
    }
}

std::optional<std::span<const unsigned char>> FindResource(std::string_view name, std::string_view type)
{
    for (const auto& entry : table()) {
        if (EqualsIgnoringAsciiCase(entry.name, name) && EqualsIgnoringAsciiCase(entry.type, type))
            return std::span<const unsigned char>(entry.data, entry.size);
    }
    return std::nullopt;
}

std::vector<ResourceEntry> ResourcesOfType(std::string_view type)
{
    std::vector<ResourceEntry> found;
    for (const auto& entry : table()) {
        if (EqualsIgnoringAsciiCase(entry.type, type))
            found.push_back(entry);
    }
    return found;
}

bool InResource(std::span<const unsigned char> bytes)
{
    auto address = reinterpret_cast<std::uintptr_t>(bytes.data());
    for (const auto& entry : table()) {
        auto begin = reinterpret_cast<std::uintptr_t>(entry.data);
        if (address >= begin && address - begin <= entry.size && bytes.size() <= entry.size - (address - begin))
            return true;
    }
    return false;
}

void ReleaseResource(std::span<const unsigned char> resource)
{
    static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    auto begin = reinterpret_cast<std::uintptr_t>(resource.data());
    std::uintptr_t first = (begin + page - 1) / page * page;
    std::uintptr_t end = (begin + resource.size()) / page * page;
    // The resources lie in the program's read-only file mapping: dropping its
    // pages loses nothing.
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
}

}
