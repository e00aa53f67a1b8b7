// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Text.h"
#include "base/Utf.h"

#include <gtest/gtest.h>

using namespace nimbrell;

TEST(Text, DecimalIntegers)
{
    struct Case {
        const char* text;
        std::optional<std::int64_t> value;
    } cases[] = {
        { "0", 0 }, { "+7", 7 }, { "-12", -12 }, { "201108181030", 201108181030 },
        { "9223372036854775807", INT64_MAX }, { "-9223372036854775808", INT64_MIN },
        { "9223372036854775808", std::nullopt }, { "-9223372036854775809", std::nullopt },
        { "", std::nullopt }, { "+", std::nullopt }, { "1 ", std::nullopt }, { " 1", std::nullopt }, { "1e3", std::nullopt }
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDecimalInt64(c.text), c.value) << c.text;
    EXPECT_EQ(ParseDecimalInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimalInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalInt("2147483648"), std::nullopt);
}

TEST(Text, CaseAndFormatting)
{
    EXPECT_TRUE(EqualsIgnoringAsciiCase("exeFILE", "EXEfile"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("exefile", "exefil"));
    EXPECT_EQ(TrimAsciiWhitespace(" \t x y \r\n"), "x y");
    EXPECT_EQ(Format("Resource %s not found", "Nimbrell"), "Resource Nimbrell not found");
    EXPECT_EQ(Format("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}
