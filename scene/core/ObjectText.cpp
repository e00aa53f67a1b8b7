// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/ObjectText.h"

#include "base/Text.h"
#include "base/Utf.h"
#include "scene/core/Extended80.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectWriter.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace nimbrell {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Binary to text.
class TextConverter {
public:
    explicit TextConverter(std::span<const std::uint8_t> binary)
        : m_reader(binary) { }

    std::string Convert()
    {
        auto head = m_reader.ReadBytes(4);
        if (std::memcmp(head.data(), kStreamSignature, 4) != 0)
            m_reader.FailFatal("Invalid stream format");
        ConvertObject(0);
        return std::move(m_out);
    }

private:
    void Indent(int indent) { m_out.append(static_cast<std::size_t>(indent), ' '); }

    void ConvertObject(int indent)
    {
        if (indent > 400)
            m_reader.FailFatal("Invalid stream format");
        std::int64_t childPosition = -1;
        std::uint8_t flags = m_reader.ReadPrefix(&childPosition);
        std::string className = m_reader.ReadShortString();
        std::string name = m_reader.ReadShortString();
        Indent(indent);
        m_out += (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline "
                                                                           : "object ";
        if (!name.empty())
            m_out += name + ": ";
        m_out += className;
        if (flags & ffChildPos)
            m_out += " [" + std::to_string(childPosition) + "]";
        m_out += '\n';
        while (!m_reader.EndOfList())
            ConvertProperty(indent + 2);
        m_reader.ReadByte();
        while (!m_reader.EndOfList())
            ConvertObject(indent + 2);
        m_reader.ReadByte();
        Indent(indent);
        m_out += "end\n";
    }

    void ConvertProperty(int indent)
    {
        Indent(indent);
        m_out += m_reader.ReadShortString();
        m_out += " = ";
        ConvertValue(indent);
        m_out += '\n';
    }

    void ConvertValue(int indent)
    {
        if (indent > 400)
            m_reader.FailFatal("Invalid stream format");
        TValueType type = m_reader.ReadValueType();
        switch (type) {
        case TValueType::vaNull:
            m_out += "Null";
            return;
        case TValueType::vaList:
            m_out += '(';
            while (!m_reader.EndOfList()) {
                m_out += '\n';
                Indent(indent + 2);
                ConvertValue(indent + 2);
            }
            m_reader.ReadByte();
            m_out += ')';
            return;
        case TValueType::vaInt8:
        case TValueType::vaInt16:
        case TValueType::vaInt32:
        case TValueType::vaInt64:
            m_out += std::to_string(m_reader.ReadIntegerPayload(type));
            return;
        case TValueType::vaExtended: {
            Extended80 bytes;
            std::memcpy(bytes.data(), m_reader.ReadBytes(10).data(), 10);
            m_out += FormatExtended(bytes);
            return;
        }
        case TValueType::vaSingle:
            m_out += FormatDouble(std::bit_cast<float>(static_cast<std::uint32_t>(m_reader.ReadLittleEndian(4)))) + "s";
            return;
        case TValueType::vaDouble:
            m_out += FormatDouble(std::bit_cast<double>(m_reader.ReadLittleEndian(8))) + "r";
            return;
        case TValueType::vaDate:
            m_out += FormatDouble(std::bit_cast<double>(m_reader.ReadLittleEndian(8))) + "d";
            return;
        case TValueType::vaCurrency: {
            auto value = static_cast<std::int64_t>(m_reader.ReadLittleEndian(8));
            std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
            std::string fraction = std::to_string(magnitude % 10000);
            if (value < 0)
                m_out += '-';
            m_out += std::to_string(magnitude / 10000);
            m_out += '.';
            m_out.append(4 - fraction.size(), '0');
            m_out += fraction;
            m_out += 'c';
            return;
        }
        case TValueType::vaString:
        case TValueType::vaLString:
        case TValueType::vaWString:
        case TValueType::vaUTF8String:
            AppendQuoted(m_reader.ReadTextPayload(type), indent);
            return;
        case TValueType::vaIdent:
            m_out += m_reader.ReadShortString();
            return;
        case TValueType::vaFalse:
            m_out += "False";
            return;
        case TValueType::vaTrue:
            m_out += "True";
            return;
        case TValueType::vaNil:
            m_out += "nil";
            return;
        case TValueType::vaBinary: {
            std::size_t length = m_reader.ReadLittleEndian(4);
            auto bytes = m_reader.ReadBytes(length);
            m_out += '{';
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (i % 32 == 0) {
                    m_out += '\n';
                    Indent(indent + 2);
                }
                m_out += kHexDigits[bytes[i] >> 4];
                m_out += kHexDigits[bytes[i] & 15];
            }
            m_out += '}';
            return;
        }
        case TValueType::vaSet: {
            m_out += '[';
            bool first = true;
            for (std::string identifier = m_reader.ReadShortString(); !identifier.empty(); identifier = m_reader.ReadShortString()) {
                if (!first)
                    m_out += ", ";
                m_out += identifier;
                first = false;
            }
            m_out += ']';
            return;
        }
        case TValueType::vaCollection: {
            m_out += '<';
            while (!m_reader.EndOfList()) {
                m_out += '\n';
                Indent(indent + 2);
                m_out += "item";
                if (ObjectReader::IsIntegerType(m_reader.NextValue()))
                    m_out += " [" + std::to_string(m_reader.ReadInteger()) + "]";
                m_out += '\n';
                if (m_reader.ReadValueType() != TValueType::vaList)
                    m_reader.FailFatal("Invalid stream format");
                while (!m_reader.EndOfList())
                    ConvertProperty(indent + 4);
                m_reader.ReadByte();
                Indent(indent + 2);
                m_out += "end";
            }
            m_reader.ReadByte();
            m_out += '>';
            return;
        }
        }
        m_reader.FailFatal("Invalid stream format");
    }

    static std::string FormatDouble(double value)
    {
        if (std::isnan(value) || std::isinf(value)) {
            Extended80 bytes = EncodeExtended(value);
            return FormatRawExtended(bytes);
        }
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        std::string text(buffer, result.ptr);
        if (text.find_first_of(".e") == std::string::npos)
            text += ".0";
        return text;
    }

    static std::string FormatRawExtended(const Extended80& bytes)
    {
        std::string text = "0x";
        for (int i = 9; i >= 0; --i) {
            text += kHexDigits[bytes[static_cast<std::size_t>(i)] >> 4];
            text += kHexDigits[bytes[static_cast<std::size_t>(i)] & 15];
        }
        return text;
    }

    // A 32-bit value as its shortest decimal, anything else as the bytes themselves.
    static std::string FormatExtended(const Extended80& bytes)
    {
        double value = DecodeExtendedToDouble(bytes);
        auto narrow = static_cast<float>(value);
        if (EncodeExtended(value) != bytes || !std::isfinite(value) || static_cast<double>(narrow) != value)
            return FormatRawExtended(bytes);
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, narrow);
        std::string text(buffer, result.ptr);
        if (text.find_first_of(".e") == std::string::npos)
            text += ".0";
        return text;
    }

    void AppendQuoted(std::string_view text, int indent)
    {
        if (text.empty()) {
            m_out += "''";
            return;
        }
        bool quoted = false;
        std::size_t run = 0;
        for (std::size_t i = 0; i < text.size();) {
            std::size_t start = i;
            char32_t c = NextCodePoint(text, i);
            if (c < 32) {
                if (quoted)
                    m_out += '\'';
                quoted = false;
                m_out += '#';
                m_out += std::to_string(static_cast<unsigned>(c));
                continue;
            }
            if (run >= 64 && i < text.size()) {
                if (quoted)
                    m_out += '\'';
                m_out += " +\n";
                Indent(indent + 2);
                quoted = false;
                run = 0;
            }
            if (!quoted)
                m_out += '\'';
            quoted = true;
            if (c == '\'')
                m_out += "''";
            else
                m_out.append(text.substr(start, i - start));
            ++run;
        }
        if (quoted)
            m_out += '\'';
    }

    ObjectReader m_reader;
    std::string m_out;
};

// Text to binary.
class TextParser {
public:
    TextParser(std::string_view text, const IncludeResolver& include, std::vector<TextLineMark>* marks)
        : m_text(text)
        , m_include(include)
        , m_marks(marks)
        , m_writer(m_out)
    {
    }

    std::vector<std::uint8_t> Parse()
    {
        m_writer.WriteSignature();
        SkipBlanks();
        ParseObject(0);
        SkipBlanks();
        if (m_position < m_text.size())
            Error("text after the root object's end");
        return std::move(m_out);
    }

private:
    [[noreturn]] void Error(const std::string& message) const { throw ObjectTextError(message, m_line); }

    void Mark()
    {
        if (m_marks)
            m_marks->push_back({ m_out.size(), m_line });
    }

    void SkipBlanks()
    {
        while (m_position < m_text.size()) {
            char c = m_text[m_position];
            if (c == '\n') {
                ++m_line;
                ++m_position;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++m_position;
            } else if (c == '/' && m_position + 1 < m_text.size() && m_text[m_position + 1] == '/') {
                while (m_position < m_text.size() && m_text[m_position] != '\n')
                    ++m_position;
            } else {
                return;
            }
        }
    }

    char Peek()
    {
        SkipBlanks();
        return m_position < m_text.size() ? m_text[m_position] : '\0';
    }

    void Expect(char c)
    {
        if (Peek() != c)
            Error(std::string("expected '") + c + "'");
        ++m_position;
    }

    static bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

    std::string ReadIdent()
    {
        if (!IsIdentStart(Peek()))
            Error("expected an identifier");
        std::size_t start = m_position;
        while (m_position < m_text.size() && IsIdentChar(m_text[m_position]))
            ++m_position;
        return std::string(m_text.substr(start, m_position - start));
    }

    bool PeekKeyword(std::string_view keyword)
    {
        if (!IsIdentStart(Peek()))
            return false;
        std::size_t end = m_position;
        while (end < m_text.size() && IsIdentChar(m_text[end]))
            ++end;
        return EqualsIgnoringAsciiCase(m_text.substr(m_position, end - m_position), keyword);
    }

    void ParseObject(int depth)
    {
        if (depth > 200)
            Error("objects nested too deeply");
        Mark();
        std::string keyword = AsciiLower(ReadIdent());
        std::uint8_t flags = 0;
        if (keyword == "inherited")
            flags |= ffInherited;
        else if (keyword == "inline")
            flags |= ffInline;
        else if (keyword != "object")
            Error("expected 'object'");
        std::string name;
        std::string className = ReadIdent();
        if (Peek() == ':') {
            ++m_position;
            name = className;
            className = ReadIdent();
        }
        std::optional<std::int64_t> childPosition;
        if (Peek() == '[') {
            ++m_position;
            childPosition = ParseIntegerToken();
            Expect(']');
            flags |= ffChildPos;
        }
        if (flags) {
            m_writer.WriteByte(static_cast<std::uint8_t>(0xF0 | flags));
            if (childPosition)
                m_writer.WriteInteger(*childPosition);
        }
        m_writer.WriteShortString(className);
        m_writer.WriteShortString(name);
        while (!PeekKeyword("end") && !PeekKeyword("object") && !PeekKeyword("inherited") && !PeekKeyword("inline")) {
            if (Peek() == '\0')
                Error("expected 'end'");
            ParseProperty(depth);
        }
        m_writer.WriteListEnd();
        while (!PeekKeyword("end")) {
            if (Peek() == '\0')
                Error("expected 'end'");
            ParseObject(depth + 1);
        }
        ReadIdent();
        m_writer.WriteListEnd();
    }

    void ParseProperty(int depth)
    {
        Mark();
        std::string name = ReadIdent();
        Expect('=');
        m_writer.WritePropertyName(name);
        ParseValue(depth);
    }

    void ParseValue(int depth)
    {
        if (depth > 200)
            Error("values nested too deeply");
        char c = Peek();
        switch (c) {
        case '(':
            ++m_position;
            m_writer.WriteListBegin();
            while (Peek() != ')') {
                if (Peek() == '\0')
                    Error("expected ')'");
                ParseValue(depth + 1);
            }
            ++m_position;
            m_writer.WriteListEnd();
            return;
        case '[': {
            ++m_position;
            m_writer.WriteValueType(TValueType::vaSet);
            if (Peek() != ']') {
                for (;;) {
                    m_writer.WriteShortString(ReadIdent());
                    if (Peek() != ',')
                        break;
                    ++m_position;
                }
            }
            Expect(']');
            m_writer.WriteShortString({});
            return;
        }
        case '<':
            ++m_position;
            m_writer.WriteValueType(TValueType::vaCollection);
            while (Peek() != '>') {
                if (!PeekKeyword("item"))
                    Error("expected 'item'");
                ReadIdent();
                if (Peek() == '[') {
                    ++m_position;
                    m_writer.WriteInteger(ParseIntegerToken());
                    Expect(']');
                }
                m_writer.WriteListBegin();
                while (!PeekKeyword("end")) {
                    if (Peek() == '\0')
                        Error("expected 'end'");
                    ParseProperty(depth + 1);
                }
                ReadIdent();
                m_writer.WriteListEnd();
            }
            ++m_position;
            m_writer.WriteListEnd();
            return;
        case '{':
            ++m_position;
            m_writer.WriteBinary(ParseHex());
            return;
        case '@':
            ++m_position;
            if (AsciiLower(ReadIdent()) != "include")
                Error("expected '@include'");
            if (Peek() != '\'' && Peek() != '#')
                Error("expected a file name after '@include'");
            ParseInclude();
            return;
        case '\'':
        case '#':
            m_writer.WriteText(ParseString());
            return;
        default:
            break;
        }
        if (IsIdentStart(c)) {
            std::string identifier = ReadIdent();
            if (EqualsIgnoringAsciiCase(identifier, "True"))
                m_writer.WriteBoolean(true);
            else if (EqualsIgnoringAsciiCase(identifier, "False"))
                m_writer.WriteBoolean(false);
            else if (EqualsIgnoringAsciiCase(identifier, "nil"))
                m_writer.WriteValueType(TValueType::vaNil);
            else if (identifier == "Null")
                m_writer.WriteValueType(TValueType::vaNull);
            else
                m_writer.WriteIdent(identifier);
            return;
        }
        if (c == '-' || c == '+' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
            ParseNumber();
            return;
        }
        Error("expected a value");
    }

    std::string NumberToken()
    {
        SkipBlanks();
        std::size_t start = m_position;
        if (m_position < m_text.size() && (m_text[m_position] == '-' || m_text[m_position] == '+'))
            ++m_position;
        while (m_position < m_text.size()) {
            char c = m_text[m_position];
            bool sign = (c == '-' || c == '+') && (m_text[m_position - 1] == 'e' || m_text[m_position - 1] == 'E');
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '$' && !sign)
                break;
            ++m_position;
        }
        return std::string(m_text.substr(start, m_position - start));
    }

    static std::optional<std::int64_t> ParseInteger(std::string_view token)
    {
        bool negative = false;
        if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
            negative = token[0] == '-';
            token.remove_prefix(1);
        }
        int base = 10;
        if (!token.empty() && token[0] == '$') {
            base = 16;
            token.remove_prefix(1);
        }
        if (token.empty())
            return std::nullopt;
        std::uint64_t magnitude = 0;
        auto result = std::from_chars(token.data(), token.data() + token.size(), magnitude, base);
        if (result.ec != std::errc() || result.ptr != token.data() + token.size())
            return std::nullopt;
        if (base == 16 && !negative)
            return static_cast<std::int64_t>(magnitude);
        if (negative ? magnitude > std::uint64_t(INT64_MAX) + 1 : magnitude > std::uint64_t(INT64_MAX))
            return std::nullopt;
        return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    }

    std::int64_t ParseIntegerToken()
    {
        std::string token = NumberToken();
        auto value = ParseInteger(token);
        if (!value)
            Error("invalid integer '" + token + "'");
        return *value;
    }

    void ParseNumber()
    {
        std::string token = NumberToken();
        if (auto value = ParseInteger(token)) {
            m_writer.WriteInteger(*value);
            return;
        }
        std::string_view body = token;
        if (body.size() == 22 && body.starts_with("0x")) {
            Extended80 bytes;
            for (int i = 0; i < 10; ++i) {
                unsigned byte = 0;
                auto part = body.substr(2 + 2 * static_cast<std::size_t>(i), 2);
                auto result = std::from_chars(part.data(), part.data() + 2, byte, 16);
                if (result.ec != std::errc() || result.ptr != part.data() + 2)
                    Error("invalid number '" + token + "'");
                bytes[static_cast<std::size_t>(9 - i)] = static_cast<std::uint8_t>(byte);
            }
            m_writer.WriteValueType(TValueType::vaExtended);
            m_writer.WriteBytes(bytes);
            return;
        }
        char suffix = body.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(body.back())));
        bool suffixed = suffix == 's' || suffix == 'c' || suffix == 'd' || suffix == 'r';
        if (suffixed)
            body.remove_suffix(1);
        if (!body.empty() && body[0] == '+')
            body.remove_prefix(1);
        double value = 0;
        auto result = std::from_chars(body.data(), body.data() + body.size(), value);
        if (body.empty() || result.ec != std::errc() || result.ptr != body.data() + body.size())
            Error("invalid number '" + token + "'");
        if (!suffixed) {
            // Decimal floats are the 32-bit values every float property holds.
            bool fits = std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
            m_writer.WriteFloat(fits ? static_cast<double>(static_cast<float>(value)) : value);
        } else if (suffix == 's') {
            m_writer.WriteValueType(TValueType::vaSingle);
            m_writer.WriteLittleEndian(std::bit_cast<std::uint32_t>(static_cast<float>(value)), 4);
        } else if (suffix == 'c') {
            m_writer.WriteValueType(TValueType::vaCurrency);
            m_writer.WriteLittleEndian(static_cast<std::uint64_t>(static_cast<std::int64_t>(std::llround(value * 10000))), 8);
        } else {
            m_writer.WriteValueType(suffix == 'd' ? TValueType::vaDate : TValueType::vaDouble);
            m_writer.WriteLittleEndian(std::bit_cast<std::uint64_t>(value), 8);
        }
    }

    // Quoted runs and #codes (UTF-16 code units, decimal or $hexadecimal), joined by +.
    std::string ParseString()
    {
        std::u16string units;
        for (;;) {
            char c = Peek();
            if (c == '\'') {
                ++m_position;
                std::string run;
                for (;;) {
                    if (m_position >= m_text.size() || m_text[m_position] == '\n')
                        Error("unterminated string");
                    char d = m_text[m_position++];
                    if (d == '\'') {
                        if (m_position < m_text.size() && m_text[m_position] == '\'') {
                            run += '\'';
                            ++m_position;
                            continue;
                        }
                        break;
                    }
                    run += d;
                }
                units += Utf8ToUtf16(run);
            } else if (c == '#') {
                ++m_position;
                std::string token = NumberToken();
                auto code = ParseInteger(token);
                if (!code || *code < 0 || *code > 0xFFFF)
                    Error("invalid character code '#" + token + "'");
                units += static_cast<char16_t>(*code);
            } else {
                break;
            }
            // A string continues after + on the next line.
            std::size_t position = m_position;
            int line = m_line;
            if (Peek() == '+') {
                ++m_position;
                char next = Peek();
                if (next == '\'' || next == '#')
                    continue;
            }
            m_position = position;
            m_line = line;
            char next = m_position < m_text.size() ? m_text[m_position] : '\0';
            if (next != '\'' && next != '#')
                break;
        }
        return Utf16ToUtf8(units);
    }

    std::vector<std::uint8_t> ParseHex()
    {
        std::vector<std::uint8_t> bytes;
        int pending = -1;
        for (;;) {
            char c = Peek();
            if (c == '}') {
                ++m_position;
                break;
            }
            if (c == '\0')
                Error("expected '}'");
            int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : (c >= 'a' && c <= 'f')                            ? c - 'a' + 10
                : (c >= 'A' && c <= 'F')                            ? c - 'A' + 10
                                                                    : -1;
            if (digit < 0)
                Error("invalid hexadecimal digit");
            ++m_position;
            if (pending < 0) {
                pending = digit;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
                pending = -1;
            }
        }
        if (pending >= 0)
            Error("odd number of hexadecimal digits");
        return bytes;
    }

    void ParseInclude()
    {
        std::string path = ParseString();
        if (!m_include)
            Error("'@include' is not available here");
        std::vector<std::uint8_t> bytes;
        try {
            bytes = m_include(path);
        } catch (const std::exception& error) {
            Error(error.what());
        }
        m_writer.WriteBinary(bytes);
    }

    std::string_view m_text;
    const IncludeResolver& m_include;
    std::vector<TextLineMark>* m_marks;
    std::vector<std::uint8_t> m_out;
    ObjectWriter m_writer;
    std::size_t m_position { 0 };
    int m_line { 1 };
};

}

std::vector<std::uint8_t> ObjectTextToBinary(std::string_view text, const IncludeResolver& include, std::vector<TextLineMark>* marks)
{
    TextParser parser(text, include, marks);
    return parser.Parse();
}

std::string ObjectBinaryToText(std::span<const std::uint8_t> binary)
{
    TextConverter converter(binary);
    return converter.Convert();
}

int LineAtOffset(const std::vector<TextLineMark>& marks, std::size_t offset)
{
    int line = 0;
    for (const TextLineMark& mark : marks) {
        if (mark.offset > offset)
            break;
        line = mark.line;
    }
    return line;
}

}
