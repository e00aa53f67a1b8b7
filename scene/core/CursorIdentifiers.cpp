#include "scene/core/CursorIdentifiers.h"

#include "base/Text.h"

#include <array>
#include <string_view>
#include <utility>

namespace nimbrell {

namespace {

constexpr std::array<std::pair<std::string_view, int>, 23> cursors { {
    { "crDefault", 0 }, { "crNone", -1 }, { "crArrow", -2 }, { "crCross", -3 }, { "crIBeam", -4 }, { "crSizeNESW", -6 },
    { "crSizeNS", -7 }, { "crSizeNWSE", -8 }, { "crSizeWE", -9 }, { "crUpArrow", -10 }, { "crHourGlass", -11 },
    { "crDrag", -12 }, { "crNoDrop", -13 }, { "crHSplit", -14 }, { "crVSplit", -15 }, { "crMultiDrag", -16 },
    { "crSQLWait", -17 }, { "crNo", -18 }, { "crAppStart", -19 }, { "crHelp", -20 }, { "crHandPoint", -21 },
    { "crSizeAll", -22 }, { "crSize", -22 },
} };

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
