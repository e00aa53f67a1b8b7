// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An INI settings file: sections of key=value lines, names matched without
// regard to ASCII case, UTF-8 on disk. Every read looks at the file as it is
// now; every write replaces the file at once (and creates it, and the section,
// when missing), keeping every other line as it was. A link, a file that is not
// a plain file or one above 1 MiB reads as missing.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nimbrell {

class SettingsFile {
public:
    explicit SettingsFile(std::string fileName);

    const std::string& FileName() const { return m_fileName; }

    // The stored value (at most 2047 characters, surrounding blanks and one pair
    // of matching quotes removed), or fallback when the key or file is missing.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // "0x"/"0X" followed by hexadecimal digits, or a signed decimal integer;
    // anything else gives fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // Any nonzero integer is true.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    // Throw "无法写入设置文件 <full file name>" (the settings file cannot be
    // written) when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Several keys of one save in one replace of the file: a reader, or a
    // kill at any moment, sees all of them or none. Throws like WriteString.
    using Values = std::vector<std::pair<std::string, std::string>>;
    void WriteValues(std::string_view section, const Values& values);

private:
    std::string m_fileName;
};

}
