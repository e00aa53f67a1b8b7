// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SettingsFile.h"

#include "base/Text.h"
#include "data/FileWriting.h"
#include "data/IniDocument.h"

#include <cstdint>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::size_t kMaxValueLength = 2047;
constexpr std::size_t kMaxFileSize = 1u << 20;

IniDocument readDocument(const std::string& fileName)
{
    // Anything but a plain file of sane size reads as missing; the next write replaces it.
    auto content = ReadRegularFile(fileName, kMaxFileSize);
    return content ? IniDocument::Parse(*content) : IniDocument();
}

}

SettingsFile::SettingsFile(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto value = readDocument(m_fileName).Value(section, key, kMaxValueLength);
    return value ? *value : std::string(fallback);
}

int SettingsFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        unsigned long long value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char c = text[i];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F'                                        ? c - 'A' + 10
                                                                              : -1;
            if (digit < 0)
                return fallback;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFull)
                return fallback;
        }
        // Eight hexadecimal digits cover the whole 32-bit pattern, as in 0xFFFFFFFF = -1.
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    return ParseDecimalInt(text).value_or(fallback);
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void SettingsFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    WriteValues(section, { { std::string(key), std::string(value) } });
}

void SettingsFile::WriteValues(std::string_view section, const Values& values)
{
    auto document = readDocument(m_fileName);
    for (const auto& [key, value] : values)
        document.SetValue(section, key, value);
    try {
        WriteFileAtomically(m_fileName, document.Text());
    } catch (const std::runtime_error&) {
        throw std::runtime_error(Format("无法写入设置文件 %s", FullFileName(m_fileName).c_str()));
    }
}

void SettingsFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

}
