#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace nimbrell::platform;

TEST(Text, DecimalIntegers)
{
    struct Case {
        const char* text;
        std::optional<std::int64_t> value;
    } cases[] = {
        { "0", 0 }, { "+7", 7 }, { "-12", -12 }, { "201108181030", 201108181030 },
        { "9223372036854775807", INT64_MAX }, { "-9223372036854775808", INT64_MIN },
        { "9223372036854775808", std::nullopt }, { "-9223372036854775809", std::nullopt },
        { "", std::nullopt }, { "+", std::nullopt }, { "1 ", std::nullopt }, { " 1", std::nullopt }, { "1e3", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDecimalInt64(c.text), c.value) << c.text;
    EXPECT_EQ(ParseDecimalInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimalInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalInt("2147483648"), std::nullopt);
}

TEST(Text, InvalidUtf8BecomesReplacementCharacters)
{
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        { "北京 ok", "北京 ok" },
        { "\xC3\x28", "\xEF\xBF\xBD(" },
        { "\xE5\x8C", "\xEF\xBF\xBD\xEF\xBF\xBD" },
        { "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD" },         // overlong '/'
        { "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" }, // surrogate half
        { "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" }, // past U+10FFFF
        { std::string("a\0b", 3), std::string("a\0b", 3) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SanitizeUtf8(c.in), c.out);
}

TEST(Text, CaseAndFormatting)
{
    EXPECT_TRUE(EqualsIgnoringAsciiCase("exeFILE", "EXEfile"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("exefile", "exefil"));
    EXPECT_EQ(TrimAsciiWhitespace(" \t x y \r\n"), "x y");
    EXPECT_EQ(Format("Resource %s not found", "Nimbrell"), "Resource Nimbrell not found");
    EXPECT_EQ(Format("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}
