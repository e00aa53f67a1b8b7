// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's view of odd answers, as a table: what each text and picture of
// the widget shows, without a window, a server or a timer.

#include "app/WeatherPanel.h"
#include "tests/support/ScopedEnvironment.h"
#include "weather/ForecastDate.h"

#include <gtest/gtest.h>

#include <map>

using namespace nimbrell;
using namespace std::chrono;

namespace {

// A picture table of a few rows, matched by prefix as InfoToIcon does.
int pictureOf(std::string_view description)
{
    static const std::vector<std::pair<std::string, int>> rows = { { "晴", 1 }, { "多云", 2 }, { "阵雨", 4 }, { "大暴雨", 7 } };
    for (const auto& [name, picture] : rows) {
        if (description.starts_with(name))
            return picture;
    }
    return 0;
}

constexpr year_month_day december10 { year(2026), December, day(10) };

std::vector<TInfo> sunnyWeek()
{
    return std::vector<TInfo>(6, TInfo { "晴", "25℃~12℃", "北风3-4级" });
}

std::string longText(const std::string& unit, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += unit;
    return text;
}

}

TEST(WeatherPanelView, FewerThanSixReportsAreNoForecastAndMoreAreCut)
{
    EXPECT_FALSE(MakeWeatherPanelView({}, pictureOf, december10));
    EXPECT_FALSE(MakeWeatherPanelView(std::vector<TInfo>(5, TInfo { "晴", "1℃~0℃", "微风" }), pictureOf, december10));
    auto reports = sunnyWeek();
    reports.push_back({ "多云", "9℃~8℃", "东风" });
    auto view = MakeWeatherPanelView(reports, pictureOf, december10);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->days[4].temperature, "25℃~12℃") << "a seventh report is ignored";
}

TEST(WeatherPanelView, EachRowOfOddReports)
{
    struct Case {
        const char* what;
        TInfo report; // as day 2
        int picture;
        std::string temperature, weather;
    } cases[] = {
        { "a whole day", { "多云转晴", "30℃~21℃", "南风" }, 2, "30℃~21℃", "多云转晴,南风" },
        { "a row missing from an aged kept forecast", {}, 0, "", "" },
        { "a null weather code", { "", "3℃~1℃", "4级" }, 0, "3℃~1℃", "暂无数据,4级" },
        { "an unknown weather code", { "未知天气", "3℃~1℃", "" }, 0, "3℃~1℃", "暂无数据" },
        { "no wind", { "阵雨", "", "" }, 4, "", "阵雨" },
        { "a description not in the table", { "霾", "5℃~0℃", "微风" }, 0, "5℃~0℃", "霾,微风" },
        { "violent showers", { "大暴雨", "28℃~22℃", "" }, 7, "28℃~22℃", "大暴雨" },
        { "the longest named day", { "雷阵雨伴有冰雹", "-40℃~-45℃", "西北风4-5级转3-4级" }, 0, "-40℃~-45℃",
            "雷阵雨伴有冰雹,西北风4-5级转3-4级" },
        { "control characters", { "晴\t转\n阴", "1℃\x7f", "微风" }, 1, "1℃ ", "晴 转 阴,微风" },
        { "a flood", { longText("雨", 1000), longText("9", 500), longText("x", 300) }, 0, longText("9", 200),
            longText("雨", 200) + "," + longText("x", 200) },
    };
    for (const auto& c : cases) {
        auto reports = sunnyWeek();
        reports[1] = c.report;
        auto view = MakeWeatherPanelView(reports, pictureOf, december10);
        ASSERT_TRUE(view) << c.what;
        EXPECT_EQ(view->days[0].picture, c.picture) << c.what;
        EXPECT_EQ(view->days[0].temperature, c.temperature) << c.what;
        EXPECT_EQ(view->days[0].weather, c.weather) << c.what;
        EXPECT_EQ(view->days[0].date, "") << "day 2 keeps 明天";
    }
}

TEST(WeatherPanelView, TodaysTexts)
{
    struct Case {
        TInfo report;
        int picture;
        std::string weather, high, low, wind;
    } cases[] = {
        { { "晴", "32℃~20℃", "北风3-4级" }, 1, "晴", "32℃~", "20℃", "北风3-4级" },
        { { "多云", "25℃", "微风" }, 2, "多云", "", "25℃", "微风" },
        { { "", "-40℃~-45℃", "4级" }, 0, "暂无数据", "-40℃~", "-45℃", "4级" },
        { { "未知天气", "", "" }, 0, "暂无数据", "", "", "" },
        { {}, 0, "", "", "", "" },
    };
    for (const auto& c : cases) {
        auto reports = sunnyWeek();
        reports[0] = c.report;
        auto view = MakeWeatherPanelView(reports, pictureOf, december10);
        ASSERT_TRUE(view) << c.report.tianQi;
        EXPECT_EQ(view->picture, c.picture) << c.report.tianQi;
        EXPECT_EQ(view->weather, c.weather) << c.report.tianQi;
        EXPECT_EQ(view->high, c.high) << c.report.tianQi;
        EXPECT_EQ(view->low, c.low) << c.report.tianQi;
        EXPECT_EQ(view->wind, c.wind) << c.report.tianQi;
    }
}

TEST(WeatherPanelView, DaysAreLabelledByTheirOwnDateElseFromChinasToday)
{
    auto undated = MakeWeatherPanelView(sunnyWeek(), pictureOf, year_month_day(year(2025), December, day(30)));
    ASSERT_TRUE(undated);
    EXPECT_EQ(undated->days[2].date, "01月02日");
    EXPECT_EQ(undated->days[3].date, "01月03日");
    EXPECT_EQ(undated->days[4].date, "01月04日");

    // The answer's own days win over the machine's idea of today.
    auto dated = sunnyWeek();
    for (int i = 0; i < 6; ++i)
        dated[static_cast<std::size_t>(i)].day = sys_days(december10) + days(i);
    auto view = MakeWeatherPanelView(dated, pictureOf, year_month_day(year(2026), December, day(11)));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->days[2].date, "12月13日");
    EXPECT_EQ(view->days[4].date, "12月15日");
    EXPECT_FALSE(MakeWeatherPanelView(sunnyWeek(), pictureOf, year_month_day {})->days[4].date.size()) << "no date known";
}

TEST(WeatherPanelView, ChinasDateIsTheSameInEveryZone)
{
    // 18:30 UTC on the 10th is the 11th in China but the 10th in America;
    // 15:30 UTC is still the 10th in China but the 11th in Kiritimati (UTC+14).
    std::time_t evening = system_clock::to_time_t(sys_days(december10) + hours(18) + minutes(30));
    std::time_t morning = system_clock::to_time_t(sys_days(december10) + hours(15) + minutes(30));
    for (const char* zone : { "UTC", "America/Los_Angeles", "Pacific/Kiritimati", "Asia/Shanghai", "Etc/GMT+12" }) {
        nimbrell::testing::ScopedEnvironment environment;
        environment.Set("TZ", zone);
        tzset();
        EXPECT_EQ(ChinaDate(evening), year_month_day(year(2026), December, day(11))) << zone;
        EXPECT_EQ(ChinaDate(morning), year_month_day(year(2026), December, day(10))) << zone;
        auto view = MakeWeatherPanelView(sunnyWeek(), pictureOf, ChinaDate(evening));
        EXPECT_EQ(view->days[2].date, "12月14日") << zone;
    }
    tzset();
}

TEST(WeatherPanelView, TheStoredRefreshIntervalIsOneOfTheSettingsWindowsChoices)
{
    std::map<int, std::uint32_t> expected = { { 0, 3'600'000u }, { 1, 7'200'000u }, { 2, 10'800'000u }, { 3, 10'800'000u },
        { -1, 10'800'000u } };
    for (auto [index, milliseconds] : expected)
        EXPECT_EQ(StoredRefreshInterval(index), milliseconds) << index;
}

TEST(WeatherPanelView, ThePlaceholderShowsNoSampleWeather)
{
    WeatherPanelView view = PlaceholderPanelView();
    EXPECT_EQ(view.picture, kNotAvailablePicture);
    EXPECT_EQ(view.high + view.low + view.weather + view.wind, "");
    for (const auto& day : view.days)
        EXPECT_EQ(day.picture + day.temperature.size() + day.weather.size() + day.date.size(), 0u);
}
