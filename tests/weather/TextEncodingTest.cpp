// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/TextEncoding.h"

#include <gtest/gtest.h>

namespace nimbrell {
namespace {

constexpr const char* kBeijingUtf8 = "\xE5\x8C\x97\xE4\xBA\xAC"; // 北京
constexpr const char* kFffd = "\xEF\xBF\xBD";

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
    EXPECT_EQ(DecodeSystemCodePage("a\xFF"
                                   "b\xB1"),
        std::string("a") + kFffd + "b" + kFffd);
}

}
}
