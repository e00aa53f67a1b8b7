#include "data/SettingsFile.h"

#include "data/FileWriting.h"
#include "platform/Text.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <vector>

namespace nimbrell {

namespace {

using platform::EqualsIgnoringAsciiCase;
using platform::TrimAsciiWhitespace;

constexpr std::size_t maximumValueLength = 2047;

struct Lines {
    std::vector<std::string> lines;
};

Lines readLines(const std::string& fileName)
{
    Lines result;
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return result;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string_view rest = content;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    while (!rest.empty()) {
        auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        result.lines.emplace_back(line);
    }
    return result;
}

std::optional<std::string_view> sectionName(std::string_view line)
{
    line = TrimAsciiWhitespace(line);
    if (!line.starts_with('['))
        return std::nullopt;
    line.remove_prefix(1);
    return TrimAsciiWhitespace(line.substr(0, line.find(']')));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine { TrimAsciiWhitespace(line.substr(0, equals)), TrimAsciiWhitespace(line.substr(equals + 1)) };
}

// The lines [first, last) of the first section of this name, if any.
std::optional<std::pair<std::size_t, std::size_t>> findSection(const std::vector<std::string>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i]);
        if (!name || !EqualsIgnoringAsciiCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end]))
            ++end;
        return std::pair { i + 1, end };
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, std::pair<std::size_t, std::size_t> range, std::string_view key)
{
    for (std::size_t i = range.first; i < range.second; ++i) {
        auto entry = keyLine(lines[i]);
        if (entry && EqualsIgnoringAsciiCase(entry->key, key))
            return i;
    }
    return std::nullopt;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// At most count characters of valid UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

std::string singleLine(std::string_view value)
{
    // A line break would end the value and start a line of its own in the file.
    std::string out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

}

SettingsFile::SettingsFile(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto file = readLines(m_fileName);
    auto range = findSection(file.lines, section);
    if (!range)
        return std::string(fallback);
    auto index = findKey(file.lines, *range, key);
    if (!index)
        return std::string(fallback);
    auto value = unquote(keyLine(file.lines[*index])->value);
    return firstCharacters(platform::SanitizeUtf8(value), maximumValueLength);
}

int SettingsFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        unsigned long long value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char c = text[i];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0)
                return fallback;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFull)
                return fallback;
        }
        // Eight hexadecimal digits cover the whole 32-bit pattern, as in 0xFFFFFFFF = -1.
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    return platform::ParseDecimalInt(text).value_or(fallback);
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void SettingsFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    auto file = readLines(m_fileName);
    auto& lines = file.lines;
    std::string entry = std::string(key) + "=" + singleLine(value);
    if (auto range = findSection(lines, section)) {
        if (auto index = findKey(lines, *range, key)) {
            // The key keeps the spelling it has in the file.
            lines[*index] = std::string(keyLine(lines[*index])->key) + "=" + singleLine(value);
        } else {
            std::size_t insertAt = range->second;
            while (insertAt > range->first && TrimAsciiWhitespace(lines[insertAt - 1]).empty())
                --insertAt;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        }
    } else {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
    }

    std::string content;
    for (const auto& line : lines) {
        content += line;
        content += '\n';
    }
    try {
        WriteFileAtomically(m_fileName, content);
    } catch (const std::runtime_error&) {
        throw std::runtime_error(platform::Format("Unable to write to %s", FullFileName(m_fileName).c_str()));
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
