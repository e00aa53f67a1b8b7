// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Resources.h"

#include "base/Text.h"

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

}
