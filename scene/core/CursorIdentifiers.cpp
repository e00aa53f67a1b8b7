// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/CursorIdentifiers.h"

#include "base/Text.h"
#include "platform/Message.h"

#include <string_view>
#include <utility>

namespace nimbrell {

namespace {

#define NIMBRELL_CURSOR_NAME(name, value) { #name, platform::name },
constexpr std::pair<std::string_view, int> cursors[] { NIMBRELL_CURSOR_IDENTIFIERS(NIMBRELL_CURSOR_NAME) };
#undef NIMBRELL_CURSOR_NAME

}

const IntegerIdentifiers& CursorIdentifiers()
{
    static const IntegerIdentifiers identifiers {
        [](std::int64_t value) -> std::optional<std::string> {
            for (auto [name, code] : cursors) {
                if (code == value)
                    return std::string(name);
            }
            return std::nullopt;
        },
        [](std::string_view name) -> std::optional<std::int64_t> {
            for (auto [known, code] : cursors) {
                if (EqualsIgnoringAsciiCase(known, name))
                    return code;
            }
            return std::nullopt;
        },
    };
    return identifiers;
}

}
