// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TempDirectory.h"
#include "weather/PositionForecast.h"

#include <gtest/gtest.h>

using namespace nimbrell;

namespace {

std::string fixture(const std::string& name)
{
    return nimbrell::testing::ReadFile(std::string(NIMBRELL_WEATHER_TEST_DATA) + "/" + name);
}

// An answer with the five arrays given as JSON texts; an empty text leaves the array out.
std::string answer(const std::string& codes, const std::string& highs, const std::string& lows, const std::string& speeds,
    const std::string& directions)
{
    std::string daily;
    auto add = [&](const char* name, const std::string& values) {
        if (values.empty())
            return;
        daily += (daily.empty() ? "\"" : ",\"") + std::string(name) + "\":" + values;
    };
    add("weather_code", codes);
    add("temperature_2m_max", highs);
    add("temperature_2m_min", lows);
    add("wind_speed_10m_max", speeds);
    add("wind_direction_10m_dominant", directions);
    return "{\"timezone\":\"Asia/Shanghai\",\"daily\":{" + daily + "}}";
}

const std::string sixCodes = "[0,2,3,61,71,95]";
const std::string sixHighs = "[1,2,3,4,5,6]";
const std::string sixLows = "[-1,-2,-3,-4,-5,-6]";
const std::string sixSpeeds = "[30,30,30,30,30,30]";
const std::string sixDirections = "[90,90,90,90,90,90]";

}

TEST(PositionForecast, AddressCarriesThePositionAndTheDailyQuery)
{
    EXPECT_EQ(PositionForecastAddress("https://api.example/v1/forecast", { 39.905, 116.4053 }),
        "https://api.example/v1/forecast?latitude=39.9050&longitude=116.4053&daily=weather_code,temperature_2m_max,"
        "temperature_2m_min,wind_speed_10m_max,wind_direction_10m_dominant&current=temperature_2m,apparent_temperature,"
        "relative_humidity_2m,weather_code&timezone=Asia%2FShanghai&forecast_days=6");
    EXPECT_EQ(PositionForecastAddress("https://h/f?key=1", { -1.5, 2 }).substr(0, 48),
        "https://h/f?key=1&latitude=-1.5000&longitude=2.0");
}

TEST(PositionForecast, WeatherCodesUseThePictureTablesWords)
{
    struct Row {
        std::vector<int> codes;
        const char* text;
    } rows[] = {
        { { 0, 1 }, "晴" }, { { 2 }, "多云" }, { { 3 }, "阴" }, { { 45, 48 }, "雾" }, { { 51, 53, 61 }, "小雨" },
        { { 55, 63 }, "中雨" }, { { 65 }, "大雨" }, { { 56, 57, 66, 67 }, "冻雨" }, { { 71, 77 }, "小雪" },
        { { 73 }, "中雪" }, { { 75, 86 }, "大雪" }, { { 80, 81 }, "阵雨" }, { { 82 }, "大暴雨" }, { { 85 }, "阵雪" },
        { { 95 }, "雷阵雨" }, { { 96, 99 }, "雷阵雨伴有冰雹" }, { { 4, 50, 100, -1 }, "未知天气" }
    };
    for (const auto& row : rows) {
        for (int code : row.codes)
            EXPECT_EQ(WeatherCodeText(code), row.text) << code;
    }
}

TEST(PositionForecast, TemperatureAndWindTexts)
{
    EXPECT_EQ(TemperatureText(35.6, 21.4), "36℃~21℃");
    EXPECT_EQ(TemperatureText(-0.4, -6.5), "0℃~-7℃");

    struct Level {
        double kmh;
        int level;
    } levels[] = { { 0, 0 }, { 0.9, 0 }, { 1, 1 }, { 5.9, 1 }, { 6, 2 }, { 11.9, 2 }, { 12, 3 }, { 19, 3 }, { 20, 4 },
        { 28, 4 }, { 29, 5 }, { 38, 5 }, { 39, 6 }, { 49, 6 }, { 50, 7 }, { 61, 7 }, { 62, 8 }, { 74, 8 }, { 75, 9 },
        { 88, 9 }, { 89, 10 }, { 102, 10 }, { 103, 11 }, { 117, 11 }, { 118, 12 }, { 400, 12 } };
    for (const auto& row : levels)
        EXPECT_EQ(BeaufortLevel(row.kmh), row.level) << row.kmh;

    struct Wind {
        std::optional<double> degrees;
        double kmh;
        const char* text;
    } winds[] = {
        { 0, 30, "北风5级" }, { 22, 20, "北风4级" }, { 23, 20, "东北风4级" }, { 90, 12, "东风3级" }, { 135, 40, "东南风6级" },
        { 180, 118, "南风12级" }, { 225, 50, "西南风7级" }, { 270, 62, "西风8级" }, { 315, 75, "西北风9级" },
        { 359, 20, "北风4级" }, { 720, 20, "北风4级" }, { -90, 20, "西风4级" }, { 180, 11.9, "微风" }, { 90, 0, "微风" },
        { std::nullopt, 25, "4级" }, { std::nullopt, 3, "微风" }
    };
    for (const auto& row : winds)
        EXPECT_EQ(WindText(row.degrees, row.kmh), row.text) << row.degrees.value_or(-1) << " " << row.kmh;
}

TEST(PositionForecast, RecordedAnswersGiveSixReports)
{
    auto beijing = ReadPositionForecast(fixture("forecast-beijing.json"));
    ASSERT_EQ(beijing.size(), 6u);
    const char* expected[6][3] = {
        { "阴", "3℃~-6℃", "西北风3级" }, { "晴", "5℃~-5℃", "西北风4级" }, { "晴", "2℃~-7℃", "微风" },
        { "小雪", "-1℃~-10℃", "西风4级" }, { "多云", "0℃~-8℃", "南风3级" }, { "雾", "2℃~-7℃", "微风" }
    };
    for (std::size_t day = 0; day < 6; ++day) {
        EXPECT_EQ(beijing[day].tianQi, expected[day][0]) << day;
        EXPECT_EQ(beijing[day].wenDu, expected[day][1]) << day;
        EXPECT_EQ(beijing[day].fengLi, expected[day][2]) << day;
    }

    // Arrays in another order, and a model run that ends early: the days
    // without data have empty texts.
    auto shortRun = ReadPositionForecast(fixture("forecast-short-run.json"));
    ASSERT_EQ(shortRun.size(), 6u);
    EXPECT_EQ(shortRun[0].tianQi, "小雨");
    EXPECT_EQ(shortRun[0].wenDu, "36℃~21℃");
    EXPECT_EQ(shortRun[0].fengLi, "北风5级");
    EXPECT_EQ(shortRun[1].fengLi, "微风");
    EXPECT_EQ(shortRun[2].tianQi, "大暴雨");
    EXPECT_EQ(shortRun[2].fengLi, "南风12级");
    for (std::size_t day = 3; day < 6; ++day) {
        EXPECT_EQ(shortRun[day].tianQi, "") << day;
        EXPECT_EQ(shortRun[day].wenDu, "") << day;
        EXPECT_EQ(shortRun[day].fengLi, "") << day;
    }
}

TEST(PositionForecast, AnswersWithoutSixDaysOfEveryArrayAreFailures)
{
    const std::string rows[] = {
        fixture("forecast-error.json"),
        "",
        "not json",
        "[1,2,3]",
        "{\"daily\":[1,2]}",
        answer("", sixHighs, sixLows, sixSpeeds, sixDirections),
        answer(sixCodes, sixHighs, "", sixSpeeds, sixDirections),
        answer(sixCodes, sixHighs, sixLows, sixSpeeds, "{}"),
        answer(sixCodes, "[1,2,3,4,5]", sixLows, sixSpeeds, sixDirections),
        answer(sixCodes, sixHighs, sixLows, "[]", sixDirections),
        answer(sixCodes, sixHighs, sixLows, sixSpeeds, "null"),
        // A number beyond a double does not parse at all.
        answer(sixCodes, "[1e999,2,3,4,5,6]", sixLows, sixSpeeds, sixDirections),
        answer(sixCodes, sixHighs, sixLows, sixSpeeds, "[NaN,0,0,0,0,0]")
    };
    for (const auto& row : rows)
        EXPECT_THROW(ReadPositionForecast(row), std::exception) << row;
}

TEST(PositionForecast, UnreadableValuesLeaveTheirTextEmpty)
{
    // Day 1 carries what no forecast can say; the other days are sound.
    auto reports = ReadPositionForecast(answer("[\"3\",2.5,3,61,71,95]", "[1e308,2,\"warm\",4,true,6]",
        "[-1,-2,-3,-4,-5,-1e308]", "[\"fast\",-5,1e308,30,null,30]", "[{},90,90,null,90,90]"));
    ASSERT_EQ(reports.size(), 6u);
    EXPECT_EQ(reports[0].tianQi, "");
    EXPECT_EQ(reports[0].wenDu, "");
    EXPECT_EQ(reports[0].fengLi, "");
    EXPECT_EQ(reports[1].tianQi, "未知天气") << "a fractional code is no code";
    EXPECT_EQ(reports[1].wenDu, "2℃~-2℃");
    EXPECT_EQ(reports[1].fengLi, "") << "a negative speed is no speed";
    EXPECT_EQ(reports[2].wenDu, "");
    EXPECT_EQ(reports[2].fengLi, "");
    EXPECT_EQ(reports[3].fengLi, "5级") << "no direction: the level alone";
    EXPECT_EQ(reports[4].wenDu, "");
    EXPECT_EQ(reports[4].fengLi, "");
    EXPECT_EQ(reports[5].wenDu, "");
    EXPECT_EQ(reports[5].tianQi, "雷阵雨");
}
