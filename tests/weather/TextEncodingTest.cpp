#include "weather/TextEncoding.h"

#include <gtest/gtest.h>

namespace nimbrell {
namespace {

constexpr const char* kBeijingUtf8 = "\xE5\x8C\x97\xE4\xBA\xAC"; // 北京
constexpr const char* kFffd = "\xEF\xBF\xBD";

TEST(DecodeUtf8, KeepsWellFormedTextAndReplacesEachIllFormedPart)
{
    struct Row {
        std::string bytes;
        std::string text;
    } rows[] = {
        { kBeijingUtf8, kBeijingUtf8 },
        { "\xEF\xBB\xBF{}", "\xEF\xBB\xBF{}" }, // the byte-order mark stays
        { "a\xFF" "b", std::string("a") + kFffd + "b" },
        { "\xE5\x8C", kFffd },                               // cut at the end: one replacement
        { "\xE5\x8C" "A", std::string(kFffd) + "A" },        // a maximal prefix is one unit
        { "\xC0\xAF", std::string(kFffd) + kFffd },          // overlong
        { "\xED\xA0\x80", std::string(kFffd) + kFffd + kFffd }, // surrogate
        { "\xF4\x90\x80\x80", std::string(kFffd) + kFffd + kFffd + kFffd }, // beyond U+10FFFF
        { "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80" },
        { std::string("a\0b", 3), std::string("a\0b", 3) },
    };
    for (const auto& row : rows)
        EXPECT_EQ(DecodeUtf8(row.bytes), row.text) << testing::PrintToString(row.bytes);
}

TEST(SystemCodePage, IsGbk)
{
    // 北京 in GBK.
    EXPECT_EQ(DecodeSystemCodePage("\xB1\xB1\xBE\xA9"), kBeijingUtf8);
    EXPECT_EQ(EncodeSystemCodePage(kBeijingUtf8), "\xB1\xB1\xBE\xA9");
    // The UTF-8 bytes of 北京 read as GBK are three other characters.
    std::string misread = DecodeSystemCodePage(kBeijingUtf8);
    EXPECT_NE(misread, kBeijingUtf8);
    EXPECT_EQ(misread, "\xE9\x8D\x96\xE6\xA4\xBE\xE5\x90\xAB"); // 鍖椾含
}

TEST(SystemCodePage, UnrepresentableTextBecomesQuestionMarks)
{
    // A round trip keeps what GBK holds and marks the rest.
    EXPECT_EQ(DecodeSystemCodePage(EncodeSystemCodePage("晴\xE2\x98\x80x\xF0\x9F\x98\x80y")), "晴?x?y");
    EXPECT_EQ(EncodeSystemCodePage("a\xFF\xE5\x8C"), "a??");
    EXPECT_EQ(DecodeSystemCodePage("a\xFF" "b\xB1"), std::string("a") + kFffd + "b" + kFffd);
}

}
}
