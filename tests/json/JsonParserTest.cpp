// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonDump.h"

#include "base/Utf.h"
#include "json/JsonParser.h"

#include <gtest/gtest.h>

#include <string>

namespace nimbrell {
namespace {

using test::Dump;

struct Case {
    std::string text; // UTF-8; also fed to the UTF-16 entry point after decoding
    std::string expected;
};

// Every case runs through both entry points, which must agree.
void expectParses(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE("input: " + c.text);
        EXPECT_EQ(Dump(TxJSON::ParseText(std::string_view(c.text)).get()), c.expected) << "UTF-8 entry";
        EXPECT_EQ(Dump(TxJSON::ParseText(std::u16string_view(Utf8ToUtf16(c.text))).get()), c.expected) << "UTF-16 entry";
    }
}

TEST(JsonParser, EmptyAndBlankTextsYieldNothing)
{
    expectParses({
        { "", "<none>" },
        { std::string(" \t\r\n\x01\x1f\x0b", 7), "<none>" },
        { std::string("\0\0\0", 3), "<none>" },
    });
}

TEST(JsonParser, TextAfterTheFirstValueIsIgnored)
{
    expectParses({
        { R"({"a":1} and more words)", R"({"a":1})" },
        { "[1]]]", "[1]" },
        { "1 2", "1" },
        { R"("a" "b")", R"("a")" },
        { "nullx", "null" },
        { "truex", "true" },
        { "falsey", "false" },
        { "12abc", "12" },
    });
}

TEST(JsonParser, ControlCharactersAndNulAreWhitespace)
{
    expectParses({
        { std::string("\0\x01{\x1f\"a\"\x02:\x7 1\0}", 14), R"({"a":1})" },
        { std::string("[1\0 2]", 6), "[1,2]" },
        // Only characters below U+0021 count: DEL and U+00A0 do not.
        { "\x7f[]", "<none>" },
        { "\xc2\xa0[]", "<none>" },
    });
}

TEST(JsonParser, MemberSeparatorsAreOptionalAndOneTrailingCommaIsAllowed)
{
    expectParses({
        { R"({"a":1 "b":2,})", R"({"a":1,"b":2})" },
        { R"({"a":1,"b":2})", R"({"a":1,"b":2})" },
        { R"({"a":1"b":2})", R"({"a":1,"b":2})" },
        { R"({ "a" : 1 , })", R"({"a":1})" },
        { "{}", "{}" },
        { "{ }", "{}" },
        { R"({"a":1,,"b":2})", "<none>" },
        { R"({,"a":1})", "<none>" },
        { "{,}", "<none>" },
        { R"({"a":1,,})", "<none>" },
    });
}

TEST(JsonParser, ElementSeparatorsAreOptionalAndOneTrailingCommaIsAllowed)
{
    expectParses({
        { "[1 2]", "[1,2]" },
        { "[1,2,]", "[1,2]" },
        { "[1-2]", "[1,-2]" },
        { R"(["a""b"])", R"(["a","b"])" },
        { "[truefalse null]", "[true,false,null]" },
        { "[[] {}]", "[[],{}]" },
        { "[]", "[]" },
        { "[1,,2]", "<none>" },
        { "[,1]", "<none>" },
        { "[,]", "<none>" },
        { "[1,,]", "<none>" },
        { "[nullx]", "<none>" },
    });
}

TEST(JsonParser, MalformedMembersYieldNothing)
{
    expectParses({
        { "{a:1}", "<none>" },
        { "{'a':1}", "<none>" },
        { R"({"a" 1})", "<none>" },
        { R"({"a":})", "<none>" },
        { R"({"a"})", "<none>" },
        { R"({"a":1)", "<none>" },
        { R"({"a":1 ])", "<none>" },
        { "[1", "<none>" },
        { "[1}", "<none>" },
        { "{", "<none>" },
        { "[", "<none>" },
        { "]", "<none>" },
        { "x", "<none>" },
        { "'a'", "<none>" },
    });
}

TEST(JsonParser, Numbers)
{
    expectParses({
        { "+5", "5" },
        { "-0.5e+2", "-50" },
        { "0", "0" },
        { "-0", "-0" },
        { "007", "7" },
        { "1E2", "100" },
        { "1e-2", "0.01" },
        { "2.5", "2.5" },
        { "201108181030", "201108181030" },
        { "123456789012345678901234567890", "1.2345678901234568e+29" },
        { "0.1", "0.10000000000000001" },
        { "1e-400", "0" },
        { "1e400", "<none>" },
        { "[1e400]", "<none>" },
        { "1" + std::string(400, '0'), "<none>" },
        { "0." + std::string(400, '0') + "1", "0" },
        { "0." + std::string(400, '0') + "1e401", "1" },
        { ".5", "<none>" },
        { "5.", "<none>" },
        { "5.e3", "<none>" },
        { "5e", "<none>" },
        { "5E+", "<none>" },
        { "[5e]", "<none>" },
        { "-", "<none>" },
        { "+", "<none>" },
        { "+-5", "<none>" },
        { "--5", "<none>" },
        { "Infinity", "<none>" },
        { "NaN", "<none>" },
        { "0x10", "0" },
    });
}

TEST(JsonParser, LiteralsAreLowerCaseOnly)
{
    expectParses({
        { "true", "true" },
        { "false", "false" },
        { "null", "null" },
        { "True", "<none>" },
        { "FALSE", "<none>" },
        { "Null", "<none>" },
        { "tru", "<none>" },
        { "nul", "<none>" },
        { "[True]", "<none>" },
    });
}

TEST(JsonParser, StringScanAndEscapes)
{
    expectParses({
        { R"("abc")", R"("abc")" },
        { R"("")", R"("")" },
        { R"("a\qb")", R"("ab")" },
        { R"("\u0041")", R"("A")" },
        { R"("\u00e9\u4E2D")", "\"\xc3\xa9\xe4\xb8\xad\"" },
        { R"("\u41")", R"("A")" },
        { R"("x\u")", "<none>" },
        { R"("\u00zz")", "<none>" },
        { R"("\u+041")", "<none>" },
        { R"(["ok","\uxyz0"])", "<none>" },
        { R"("\"\'\/\\")", R"("\u0022'/\u005C")" },
        { R"("\b\f\n\r\t")", R"("\u0008\u000C\u000A\u000D\u0009")" },
        { "\"a\tb\nc\"", R"("a\u0009b\u000Ac")" },
        { std::string("\"a\0b\"", 5), R"("a\u0000b")" },
        { R"("a\\")", R"("a\u005C")" },
        { R"("abc)", "<none>" },
        { R"("abc\")", "<none>" },
        { R"("abc\)", "<none>" },
        { "\"a\\", "<none>" },
        // A pair written as two escapes is kept; a lone half stays a lone half.
        { R"("\uD83D\uDE00")", "\"\xf0\x9f\x98\x80\"" },
        { R"("\uD83Dx")", R"("\uD83Dx")" },
        // An unknown escape drops the whole character after the backslash.
        { "\"a\\\xc3\xa9z\"", R"("az")" },
        { "\"a\\\xf0\x9f\x98\x80z\"", R"("az")" },
        { "\"\xe4\xb8\xad\xe6\x96\x87\"", "\"\xe4\xb8\xad\xe6\x96\x87\"" },
        { "{\"\xe5\x9f\x8e\":\"\\u5317\"}", "{\"\xe5\x9f\x8e\":\"\xe5\x8c\x97\"}" },
    });
}

TEST(JsonParser, InvalidUtf8InsideStringsBecomesReplacementCharacters)
{
    std::string replacement = "\xef\xbf\xbd";
    expectParses({
        { "\"a\xff"
          "b\"",
            "\"a" + replacement + "b\"" },
        { "\"\xc3\"", "\"" + replacement + "\"" },
        { "\"\xe4\xb8\"", "\"" + replacement + "\"" },
        { "\"\xc0\xaf\"", "\"" + replacement + replacement + "\"" },
        { "\"\xed\xa0\x80\"", "\"" + replacement + replacement + replacement + "\"" },
        { "\"\xf4\x90\x80\x80\"", "\"" + replacement + replacement + replacement + replacement + "\"" },
        { "\xff", "<none>" },
        { "[1,\xc3]", "<none>" },
        { "{\"a\":1\xe4}", "<none>" },
    });
}

TEST(JsonParser, ByteOrderMarkIsSkippedOnce)
{
    expectParses({
        { "\xef\xbb\xbf{}", "{}" },
        { "\xef\xbb\xbf  [1]", "[1]" },
        { "\xef\xbb\xbf", "<none>" },
        { "\xef\xbb\xbf\xef\xbb\xbf{}", "<none>" },
        { " \xef\xbb\xbf{}", "<none>" },
    });
    // The mark as three Latin-1 characters, as a single-byte decoder delivers it.
    EXPECT_EQ(Dump(TxJSON::ParseText(std::u16string_view(u"\u00EF\u00BB\u00BF[2]")).get()), "[2]");
    EXPECT_EQ(Dump(TxJSON::ParseText(std::u16string_view(u"\u00EF\u00BB\u00BF")).get()), "<none>");
}

TEST(JsonParser, ForecastDocument)
{
    std::string document = R"({"weatherinfo":{"city":"北京","cityid":"101010100","temp1":"32℃~20℃",)"
                           R"("weather1":"多云转晴","wind1":"北风4-5级转3-4级","index_d":"天气较热",)"
                           R"("st1":25,"fl1":"小于3级"}})";
    auto root = TxJSON::ParseText(std::string_view(document));
    ASSERT_TRUE(root);
    ASSERT_EQ(root->SelfType(), TxJSONtypes::jsObject);
    auto* info = AsObject(AsObject(root.get())->OldGetField(u"weatherinfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Count(), 8);
    EXPECT_EQ(Dump(info->OldGetField(u"weather1")), "\"多云转晴\"");
    EXPECT_EQ(Dump(info->OldGetField(u"st1")), "25");
    EXPECT_EQ(info->OldGetField(u"Weather1"), nullptr);
}

}
}
