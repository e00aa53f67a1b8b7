// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/SpinValue.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace nimbrell;

TEST(SpinValue, ReadsDecimalNumbersOnly)
{
    struct Case {
        std::u16string text;
        std::optional<double> value;
    };
    const Case cases[] = {
        { u"15", 15 },
        { u" -7.5 ", -7.5 },
        { u"+3", 3 },
        { u"2,5", 2.5 },
        { u".5", 0.5 },
        { u"5.", 5 },
        { u"1e3", 1000 },
        { u"1e308", 1e308 },
        { u"-0", -0.0 },
        { u"", std::nullopt },
        { u"-", std::nullopt },
        { u".", std::nullopt },
        { u"abc", std::nullopt },
        { u"nan", std::nullopt },
        { u"inf", std::nullopt },
        { u"1e", std::nullopt },
        { u"1.2.3", std::nullopt },
        { u"12a", std::nullopt },
        { u"\u0663", std::nullopt }, // an Arabic-Indic three
        { u"\uFF13", std::nullopt }, // a full-width three
    };
    for (const auto& c : cases) {
        auto value = ParseSpinText(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << std::string(c.text.begin(), c.text.end());
        if (value) {
            EXPECT_DOUBLE_EQ(*value, *c.value);
        }
    }
    auto huge = ParseSpinText(std::u16string(400, u'9'));
    ASSERT_TRUE(huge);
    EXPECT_EQ(ClampSpinValue(*huge, 3, 20), 20) << "400 digits are a number beyond every bound";
    EXPECT_EQ(ClampSpinValue(-*huge, 3, 20), 3);
}

TEST(SpinValue, ClampsMaxFirstThenMin)
{
    EXPECT_EQ(ClampSpinValue(25, 3, 20), 20);
    EXPECT_EQ(ClampSpinValue(2.7, 3, 20), 3);
    EXPECT_EQ(ClampSpinValue(7.9, 3, 20), 7.9);
    EXPECT_EQ(ClampSpinValue(5, 10, 0), 10) << "with Min above Max, Min wins";
}

TEST(SpinValue, TextForms)
{
    struct Case {
        double value;
        std::u16string truncated, fixed2, general;
    };
    const Case cases[] = {
        { 7.9, u"7", u"7.90", u"7.9" },
        { -7.9, u"-7", u"-7.90", u"-7.9" },
        { -0.5, u"0", u"-0.50", u"-0.5" },
        { -0.0, u"0", u"0.00", u"0" },
        { -0.001, u"0", u"0.00", u"-0.001" },
        { 20, u"20", u"20.00", u"20" },
        { 0.1 + 0.2, u"0", u"0.30", u"0.3" },
        { 1.0 / 3, u"0", u"0.33", u"0.333333333333333" },
        { 1e20, u"100000000000000000000", u"100000000000000000000.00", u"1e+20" },
        { std::numeric_limits<double>::quiet_NaN(), u"0", u"0", u"0" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TruncatedText(c.value), c.truncated) << c.value;
        EXPECT_EQ(FixedText(c.value, 2), c.fixed2) << c.value;
        EXPECT_EQ(GeneralText(c.value), c.general) << c.value;
    }
    EXPECT_EQ(TruncatedText(1e308).size(), 309u);
    EXPECT_TRUE(IsFractional(7.9));
    EXPECT_FALSE(IsFractional(7));
    EXPECT_FALSE(IsFractional(std::numeric_limits<double>::infinity()));
}
