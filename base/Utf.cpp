// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Utf.h"

namespace nimbrell {

namespace {

bool isSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

}

void AppendUtf8(std::string& out, char32_t c)
{
    if (isSurrogate(c) || c > 0x10FFFF)
        c = kReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c)
{
    if (isSurrogate(c) || c > 0x10FFFF)
        c = kReplacementCharacter;
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t size = utf8.size();
    for (std::size_t i = 0; i < size;) {
        if (bytes[i] < 0x80) {
            out += static_cast<char16_t>(bytes[i++]);
            continue;
        }
        Utf8Char decoded = DecodeUtf8Char(bytes + i, size - i);
        AppendUtf16(out, decoded.codePoint);
        i += decoded.length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        bool paired = c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
        if (paired)
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        AppendUtf8(out, c); // a lone surrogate becomes U+FFFD
    }
    return out;
}

std::size_t Utf16Length(std::string_view utf8)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size();)
        count += NextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
    return count;
}

std::string SanitizeUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        Utf8Char decoded = DecodeUtf8Char(text.substr(i));
        // A decoded U+FFFD may be one that stood in the text or a replaced run.
        std::string_view sequence = text.substr(i, decoded.length);
        if (decoded.codePoint == kReplacementCharacter && sequence != "\xEF\xBF\xBD")
            AppendUtf8(out, kReplacementCharacter);
        else
            out.append(sequence);
        i += decoded.length;
    }
    return out;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    // Back up over continuation bytes to the start of the character that is cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string_view Utf8FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

}
