// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Utf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace nimbrell {
namespace {

constexpr const char* kFffd = "\xEF\xBF\xBD";

std::string replacements(int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += kFffd;
    return out;
}

// Each row: bytes in, the sanitized text and the UTF-16 text out. One U+FFFD
// stands for each maximal invalid run: the longest prefix of a sequence that
// could still have become valid, else a single byte.
TEST(Utf8, MalformedSequencesTable)
{
    struct Row {
        const char* what;
        std::string bytes;
        std::string text;
        std::u16string utf16;
    } rows[] = {
        { "ascii and nul", std::string("a\0b", 3), std::string("a\0b", 3), std::u16string(u"a\0b", 3) },
        { "two CJK characters", "\xE5\x8C\x97\xE4\xBA\xAC", "北京", u"北京" },
        { "four-byte character", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", u"\U0001F600" },
        { "byte-order mark stays", "\xEF\xBB\xBF{}", "\xEF\xBB\xBF{}", u"\uFEFF{}" },
        { "a real U+FFFD stays", "\xEF\xBF\xBD", kFffd, u"\uFFFD" },
        { "lone continuation byte", "a\x80"
                                    "b",
            std::string("a") + kFffd + "b", u"a\uFFFDb" },
        { "two continuation bytes", "\x80\xBF", replacements(2), u"\uFFFD\uFFFD" },
        { "invalid lead bytes", "\xC0\xC1\xF5\xFF", replacements(4), u"\uFFFD\uFFFD\uFFFD\uFFFD" },
        { "lead then ascii", "\xC3(", std::string(kFffd) + "(", u"\uFFFD(" },
        { "three-byte cut at the end", "\xE5\x8C", kFffd, u"\uFFFD" },
        { "three-byte cut before ascii", "\xE5\x8C"
                                         "A",
            std::string(kFffd) + "A", u"\uFFFDA" },
        { "four-byte cut after three", "\xF1\x80\x80", kFffd, u"\uFFFD" },
        { "four-byte cut, then a character", "\xF1\x80\x80\xE4\xBA\xAC", std::string(kFffd) + "京", u"\uFFFD京" },
        { "overlong two-byte", "\xC0\xAF", replacements(2), u"\uFFFD\uFFFD" },
        { "overlong three-byte", "\xE0\x80\xAF", replacements(3), u"\uFFFD\uFFFD\uFFFD" },
        { "overlong four-byte", "\xF0\x8F\xBF\xBF", replacements(4), u"\uFFFD\uFFFD\uFFFD\uFFFD" },
        { "encoded surrogate", "\xED\xA0\x80", replacements(3), u"\uFFFD\uFFFD\uFFFD" },
        { "beyond U+10FFFF", "\xF4\x90\x80\x80", replacements(4), u"\uFFFD\uFFFD\uFFFD\uFFFD" },
        { "largest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", u"\U0010FFFF" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SanitizeUtf8(row.bytes), row.text) << row.what;
        EXPECT_EQ(Utf8ToUtf16(row.bytes), row.utf16) << row.what;
        EXPECT_EQ(Utf16Length(row.bytes), row.utf16.size()) << row.what;
        EXPECT_EQ(Utf16ToUtf8(row.utf16), row.text) << row.what;
    }
}

TEST(Utf16, UnpairedSurrogatesBecomeReplacementCharacters)
{
    struct Row {
        std::u16string utf16;
        std::string text;
    } rows[] = {
        { u"\U0001F600", "\xF0\x9F\x98\x80" },
        { std::u16string(1, char16_t(0xD83D)), kFffd },
        { std::u16string(1, char16_t(0xDE00)) + u"x", std::string(kFffd) + "x" },
        { std::u16string { char16_t(0xDE00), char16_t(0xD83D) }, replacements(2) },
    };
    for (const auto& row : rows)
        EXPECT_EQ(Utf16ToUtf8(row.utf16), row.text);
}

TEST(Utf8, NextCodePointWalksCharactersAndRuns)
{
    std::string text = "a\xE5\x8C"
                       "\xE4\xBA\xAC\xFF";
    std::size_t index = 0;
    std::vector<char32_t> decoded;
    while (index < text.size())
        decoded.push_back(NextCodePoint(text, index));
    EXPECT_EQ(decoded, (std::vector<char32_t> { 'a', 0xFFFD, 0x4EAC, 0xFFFD }));
    EXPECT_EQ(Latin1ToUtf8("a\xE9"), "a\xC3\xA9");
}

TEST(Utf8, PrefixNeverCutsACharacter)
{
    std::string text = "ab北京";
    for (std::size_t limit : { 0, 2, 3, 4, 5, 6, 7, 8, 9 }) {
        std::string_view prefix = Utf8Prefix(text, limit);
        EXPECT_LE(prefix.size(), limit);
        EXPECT_EQ(SanitizeUtf8(prefix), prefix) << limit;
        EXPECT_GT(prefix.size() + 3, std::min<std::size_t>(limit, text.size())) << limit;
    }
}

}
}
