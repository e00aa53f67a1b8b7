#include "json/Utf16.h"

namespace nimbrell {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

}

Utf8Char DecodeUtf8Char(const unsigned char* bytes, std::size_t available)
{
    unsigned char lead = bytes[0];
    if (lead < 0x80)
        return { lead, 1 };

    std::size_t length;
    char32_t codePoint;
    // Bounds of the second byte exclude overlong forms, surrogates and values above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return { replacementCharacter, 1 };
    }

    for (std::size_t i = 1; i < length; ++i) {
        if (i >= available)
            return { replacementCharacter, i };
        unsigned char byte = bytes[i];
        if (i == 1 ? (byte < low || byte > high) : !isContinuation(byte))
            return { replacementCharacter, i };
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    return { codePoint, length };
}

void AppendUtf16(std::u16string& out, char32_t codePoint)
{
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t size = utf8.size();
    std::size_t i = 0;
    while (i < size) {
        if (bytes[i] < 0x80) {
            out.push_back(bytes[i++]);
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
        if (c >= 0xD800 && c <= 0xDFFF) {
            bool paired = c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
            if (paired)
                c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
            else
                c = replacementCharacter;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}
