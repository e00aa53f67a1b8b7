// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text of an INI file: sections of key=value lines. Section and key names
// match without regard to ASCII case; the first section and the first key of a
// name win. Changing a value keeps every other line as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class IniDocument {
public:
    // Accepts any bytes: LF or CRLF line ends, a leading UTF-8 byte-order mark.
    static IniDocument Parse(std::string_view content);

    // The value with surrounding blanks and one pair of matching quotes removed,
    // invalid UTF-8 replaced by U+FFFD, cut to maxCharacters characters.
    std::optional<std::string> Value(std::string_view section, std::string_view key, std::size_t maxCharacters) const;

    // Sets a value, adding the key at the end of its section or a new section at
    // the end. Line breaks in the value become blanks so it stays one line.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

    // LF line ends, a line end after every line; a byte-order mark read is kept.
    std::string Text() const;

private:
    std::vector<std::string> m_lines;
    bool m_byteOrderMark { false };
};

}
