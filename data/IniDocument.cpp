// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/IniDocument.h"

#include "base/Text.h"
#include "base/Utf.h"

namespace nimbrell {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

struct LineRange {
    std::size_t first;
    std::size_t end;
};

std::optional<LineRange> findSection(const std::vector<std::string>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i]);
        if (!name || !EqualsIgnoringAsciiCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end]))
            ++end;
        return LineRange { i + 1, end };
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, LineRange range, std::string_view key)
{
    for (std::size_t i = range.first; i < range.end; ++i) {
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

std::string singleLine(std::string_view value)
{
    std::string out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

}

IniDocument IniDocument::Parse(std::string_view content)
{
    IniDocument document;
    document.m_byteOrderMark = content.starts_with(kByteOrderMark);
    if (document.m_byteOrderMark)
        content.remove_prefix(kByteOrderMark.size());
    while (!content.empty()) {
        auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        document.m_lines.emplace_back(line);
    }
    return document;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key, std::size_t maxCharacters) const
{
    auto range = findSection(m_lines, section);
    if (!range)
        return std::nullopt;
    auto index = findKey(m_lines, *range, key);
    if (!index)
        return std::nullopt;
    auto value = unquote(keyLine(m_lines[*index])->value);
    return std::string(Utf8FirstCharacters(SanitizeUtf8(value), maxCharacters));
}

void IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    auto range = findSection(m_lines, section);
    if (!range) {
        m_lines.push_back("[" + std::string(section) + "]");
        m_lines.push_back(std::string(key) + "=" + singleLine(value));
        return;
    }
    if (auto index = findKey(m_lines, *range, key)) {
        // The key keeps the spelling it has in the file.
        m_lines[*index] = std::string(keyLine(m_lines[*index])->key) + "=" + singleLine(value);
        return;
    }
    std::size_t insertAt = range->end;
    while (insertAt > range->first && TrimAsciiWhitespace(m_lines[insertAt - 1]).empty())
        --insertAt;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::string(key) + "=" + singleLine(value));
}

std::string IniDocument::Text() const
{
    // Without the mark a second one that follows it would start the first line.
    std::string content = m_byteOrderMark ? std::string(kByteOrderMark) : std::string();
    for (const auto& line : m_lines) {
        content += line;
        content += '\n';
    }
    return content;
}

}
