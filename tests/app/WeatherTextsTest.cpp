// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WeatherTexts.h"

#include <gtest/gtest.h>

using namespace nimbrell;

TEST(WeatherTexts, TemperatureSplitsAfterTheFirstTilde)
{
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred += "度";
    struct Case {
        std::string wenDu, first, second;
    } cases[] = {
        { "32℃~20℃", "32℃~", "20℃" },
        { "25℃", "", "25℃" },
        { "~5℃", "~", "5℃" },
        { "1~2~3", "1~", "2~3" },
        { "", "", "" },
        { "9~" + hundred + "多", "9~", hundred },
        { hundred + "多", "", hundred },
    };
    for (const auto& c : cases) {
        TemperatureParts parts = SplitTemperature(c.wenDu);
        EXPECT_EQ(parts.first, c.first) << c.wenDu;
        EXPECT_EQ(parts.second, c.second) << c.wenDu;
    }
}

TEST(WeatherTexts, DateLabelsHaveTwoDigitMonthAndDay)
{
    using namespace std::chrono;
    EXPECT_EQ(DateLabel(year_month_day(year(2026), January, day(2))), "01月02日");
    EXPECT_EQ(DateLabel(year_month_day(year(2025), December, day(30))), "12月30日");
}

TEST(WeatherTexts, HostileTextsAreClippedAndControlCharactersBlanked)
{
    EXPECT_EQ(DisplayText("晴\t转\n阴\x7f"), "晴 转 阴 ");
    std::string flood(10'000, 'x');
    EXPECT_EQ(DisplayText(flood).size(), 200u);
    std::string wide;
    for (int i = 0; i < 10'000; ++i)
        wide += "雨";
    EXPECT_EQ(DisplayText(wide), LeadingCharacters(wide, 200));
    EXPECT_EQ(LeadingCharacters(wide, 200).size(), 600u) << "cut between characters, never inside one";
}
