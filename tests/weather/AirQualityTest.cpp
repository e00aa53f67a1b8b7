// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/AirQuality.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

using namespace nimbrell;

namespace {

// Yesterday's and today's 48 hours; the current hour is today's 14:00.
constexpr std::size_t kHours = 48;
constexpr std::size_t kNow = 38;
const char* const kNowText = "2026-12-11T14:00";

AirHours emptyHours()
{
    AirHours hours;
    for (std::size_t hour = 0; hour < kHours; ++hour) {
        char text[32];
        std::snprintf(text, sizeof text, "2026-12-%02zuT%02zu:00", 10 + hour / 24, hour % 24);
        hours.times.push_back(text);
    }
    for (auto& values : hours.values)
        values.assign(kHours, std::nullopt);
    return hours;
}

// Every hour of the day ending now at `value`.
void fillDay(AirHours& hours, Pollutant pollutant, double value)
{
    for (std::size_t hour = kNow - 23; hour <= kNow; ++hour)
        hours[pollutant][hour] = value;
}

std::optional<int> indexOf(const AirHours& hours)
{
    auto result = ComputeAirQuality(hours, kNowText);
    return result ? std::optional<int>(result->aqi) : std::nullopt;
}

}

TEST(AirQuality, AddressAsksForTheSixPollutantsOfYesterdayAndToday)
{
    EXPECT_EQ(AirQualityAddress("https://air.example/v1/air-quality", { 39.9042, 116.4074 }),
        "https://air.example/v1/air-quality?latitude=39.9042&longitude=116.4074&hourly=pm10,pm2_5,carbon_monoxide,"
        "nitrogen_dioxide,sulphur_dioxide,ozone&timezone=Asia%2FShanghai&past_days=1&forecast_days=1");
}

TEST(AirQuality, IndividualIndexInterpolatesAndRoundsUp)
{
    struct Row {
        AirTable table;
        double concentration;
        std::optional<int> index;
    } rows[] = {
        // Every breakpoint of every table gives its index exactly.
        { AirTable::PM2_5, 0, 0 },
        { AirTable::PM2_5, 35, 50 },
        { AirTable::PM2_5, 75, 100 },
        { AirTable::PM2_5, 115, 150 },
        { AirTable::PM2_5, 150, 200 },
        { AirTable::PM2_5, 250, 300 },
        { AirTable::PM2_5, 350, 400 },
        { AirTable::PM2_5, 500, 500 },
        { AirTable::PM10, 50, 50 },
        { AirTable::PM10, 150, 100 },
        { AirTable::PM10, 250, 150 },
        { AirTable::PM10, 350, 200 },
        { AirTable::PM10, 420, 300 },
        { AirTable::PM10, 500, 400 },
        { AirTable::PM10, 600, 500 },
        { AirTable::SO2, 50, 50 },
        { AirTable::SO2, 150, 100 },
        { AirTable::SO2, 475, 150 },
        { AirTable::SO2, 800, 200 },
        { AirTable::SO2, 1600, 300 },
        { AirTable::SO2, 2100, 400 },
        { AirTable::SO2, 2620, 500 },
        { AirTable::NO2, 40, 50 },
        { AirTable::NO2, 80, 100 },
        { AirTable::NO2, 180, 150 },
        { AirTable::NO2, 280, 200 },
        { AirTable::NO2, 565, 300 },
        { AirTable::NO2, 750, 400 },
        { AirTable::NO2, 940, 500 },
        { AirTable::CO, 2, 50 },
        { AirTable::CO, 4, 100 },
        { AirTable::CO, 14, 150 },
        { AirTable::CO, 24, 200 },
        { AirTable::CO, 36, 300 },
        { AirTable::CO, 48, 400 },
        { AirTable::CO, 60, 500 },
        { AirTable::O3EightHour, 100, 50 },
        { AirTable::O3EightHour, 160, 100 },
        { AirTable::O3EightHour, 215, 150 },
        { AirTable::O3EightHour, 265, 200 },
        { AirTable::O3EightHour, 800, 300 },
        { AirTable::O3OneHour, 160, 50 },
        { AirTable::O3OneHour, 200, 100 },
        { AirTable::O3OneHour, 300, 150 },
        { AirTable::O3OneHour, 400, 200 },
        { AirTable::O3OneHour, 800, 300 },
        { AirTable::O3OneHour, 1000, 400 },
        { AirTable::O3OneHour, 1200, 500 },
        // Between breakpoints: linear, and a fraction rounds up.
        { AirTable::PM2_5, 55, 75 },           // 50 + 50 × 20/40
        { AirTable::PM2_5, 35.1, 51 },         // 50.125
        { AirTable::PM2_5, 40, 57 },           // 56.25
        { AirTable::PM10, 385, 250 },          // 200 + 100 × 35/70
        { AirTable::PM10, 51, 51 },            // 50.5
        { AirTable::SO2, 100, 75 },            // 50 + 50 × 50/100
        { AirTable::NO2, 60, 75 },             // 50 + 50 × 20/40
        { AirTable::CO, 9, 125 },              // 100 + 50 × 5/10
        { AirTable::O3EightHour, 130, 75 },    // 50 + 50 × 30/60
        { AirTable::O3EightHour, 532.5, 250 }, // 200 + 100 × 267.5/535
        { AirTable::O3OneHour, 900, 350 },     // 300 + 100 × 100/200
        { AirTable::PM2_5, 250.5, 301 },       // 300.5
        // Beyond the tables.
        { AirTable::PM2_5, 800, 500 },
        { AirTable::CO, 61, 500 },
        { AirTable::O3EightHour, 801, std::nullopt },
        { AirTable::PM2_5, -1, std::nullopt },
    };
    for (const auto& row : rows)
        EXPECT_EQ(IndividualIndex(row.table, row.concentration), row.index)
            << static_cast<int>(row.table) << " at " << row.concentration;
}

TEST(AirQuality, GradesAndTheirBoundaries)
{
    struct Row {
        int aqi;
        const char* name;
        int red, green, blue;
        bool dark;
    } rows[] = {
        { 0, "优", 0, 228, 0, true },
        { 50, "优", 0, 228, 0, true },
        { 51, "良", 255, 255, 0, true },
        { 100, "良", 255, 255, 0, true },
        { 101, "轻度污染", 255, 126, 0, true },
        { 150, "轻度污染", 255, 126, 0, true },
        { 151, "中度污染", 255, 0, 0, false },
        { 200, "中度污染", 255, 0, 0, false },
        { 201, "重度污染", 153, 0, 76, false },
        { 300, "重度污染", 153, 0, 76, false },
        { 301, "严重污染", 126, 0, 35, false },
        { 500, "严重污染", 126, 0, 35, false },
    };
    for (const auto& row : rows) {
        const AirGrade& grade = GradeOf(row.aqi);
        EXPECT_STREQ(grade.name, row.name) << row.aqi;
        EXPECT_EQ(grade.red, row.red) << row.aqi;
        EXPECT_EQ(grade.green, row.green) << row.aqi;
        EXPECT_EQ(grade.blue, row.blue) << row.aqi;
        EXPECT_EQ(grade.darkText, row.dark) << row.aqi;
    }
}

TEST(AirQuality, TheLargestIndexAndThePrimaryPollutants)
{
    struct Row {
        const char* what;
        std::vector<std::pair<Pollutant, double>> day; // constant values over the day
        std::optional<int> aqi;
        std::vector<Pollutant> primary;
    } rows[] = {
        { "no data", {}, std::nullopt, {} },
        { "50 names no primary", { { Pollutant::PM2_5, 35 } }, 50, {} },
        { "51 names it", { { Pollutant::PM2_5, 35.1 } }, 51, { Pollutant::PM2_5 } },
        { "300", { { Pollutant::PM2_5, 250 } }, 300, { Pollutant::PM2_5 } },
        { "301", { { Pollutant::PM2_5, 250.5 } }, 301, { Pollutant::PM2_5 } },
        { "the largest wins", { { Pollutant::PM2_5, 55 }, { Pollutant::NO2, 180 }, { Pollutant::SO2, 100 } }, 150,
            { Pollutant::NO2 } },
        { "a tie names both", { { Pollutant::PM2_5, 75 }, { Pollutant::PM10, 150 } }, 100,
            { Pollutant::PM2_5, Pollutant::PM10 } },
        { "CO counts in mg/m³", { { Pollutant::CO, 9000 }, { Pollutant::PM2_5, 10 } }, 125, { Pollutant::CO } },
        { "O3 on the 8-hour table", { { Pollutant::O3, 130 } }, 75, { Pollutant::O3 } },
    };
    for (const auto& row : rows) {
        AirHours hours = emptyHours();
        for (auto [pollutant, value] : row.day)
            fillDay(hours, pollutant, value);
        auto result = ComputeAirQuality(hours, kNowText);
        ASSERT_EQ(result.has_value(), row.aqi.has_value()) << row.what;
        if (!result)
            continue;
        EXPECT_EQ(result->aqi, *row.aqi) << row.what;
        EXPECT_EQ(result->primary, row.primary) << row.what;
    }
}

TEST(AirQuality, DailyMeansLeaveMissingHoursOutAndNeedEighteen)
{
    AirHours hours = emptyHours();
    // Twelve hours at 35 and six at 115 around six missing ones: (420 + 690) / 18.
    for (std::size_t back = 0; back < 24; ++back) {
        std::size_t hour = kNow - back;
        hours[Pollutant::PM2_5][hour] = back < 6 ? std::nullopt : back < 18 ? std::optional(35.0)
                                                                            : std::optional(115.0);
    }
    // Outside the day ending now: the hour before it and the hours after now.
    hours[Pollutant::PM2_5][kNow - 24] = 500;
    hours[Pollutant::PM2_5][kNow + 1] = 500;
    auto result = ComputeAirQuality(hours, kNowText);
    ASSERT_TRUE(result);
    EXPECT_NEAR(*result->pm25Mean, 1110.0 / 18, 1e-9);
    EXPECT_EQ(result->aqi, 84); // 50 + 50 × (61.67 − 35) / 40 = 83.3

    hours[Pollutant::PM2_5][kNow - 6].reset(); // seventeen hours left
    EXPECT_EQ(indexOf(hours), std::nullopt);
    hours[Pollutant::NO2][kNow] = 80; // one hour of NO2 is no mean either
    EXPECT_EQ(indexOf(hours), std::nullopt);

    EXPECT_EQ(ComputeAirQuality(hours, "2026-12-12T14:00"), std::nullopt) << "an hour the answer lacks";
}

TEST(AirQuality, OzoneTakesTheLargestEightHourMeanWithinTheDay)
{
    // O3 at zero all day but for `count` hours at `value`, the first `firstBack` hours before now.
    auto withBlock = [](std::size_t firstBack, std::size_t count, double value) {
        AirHours hours = emptyHours();
        fillDay(hours, Pollutant::O3, 0);
        for (std::size_t i = 0; i < count; ++i)
            hours[Pollutant::O3][kNow - firstBack - i] = value;
        return hours;
    };

    // Eight hours at 200 in the middle of the day: 100 + 50 × 40/55 = 136.4.
    EXPECT_EQ(indexOf(withBlock(5, 8, 200)), 137);
    // The same block starting an hour before the day: the best window within it
    // holds seven of them and one zero, 175 → 113.6.
    EXPECT_EQ(indexOf(withBlock(17, 8, 200)), 114);

    // Six hours of data make a mean, five do not.
    AirHours six = emptyHours();
    for (std::size_t back = 3; back < 9; ++back)
        six[Pollutant::O3][kNow - back] = 200;
    EXPECT_EQ(indexOf(six), 137);
    six[Pollutant::O3][kNow - 3].reset();
    EXPECT_EQ(indexOf(six), std::nullopt);

    // Above 800 over eight hours the largest hour counts on the 1-hour table:
    // (7 × 900 + 1100) / 8 = 925 → 1100 → 400 + 100 × 100/200.
    AirHours high = withBlock(4, 8, 900);
    high[Pollutant::O3][kNow - 6] = 1100;
    EXPECT_EQ(indexOf(high), 450);
    // Exactly 800 stays on the 8-hour table.
    EXPECT_EQ(indexOf(withBlock(4, 8, 800)), 300);
}

TEST(AirQuality, ReadsTheAnswerAndRefusesAnIncompleteOne)
{
    std::string answer = R"({"latitude":39.9,"hourly_units":{"pm2_5":"μg/m³"},"hourly":{
        "time":["2026-12-11T13:00","2026-12-11T14:00"],
        "pm2_5":[31.4,null],"pm10":[50,60],"carbon_monoxide":[400,"x"],
        "nitrogen_dioxide":[20,-3],"sulphur_dioxide":[5,6],"ozone":[70,80]}})";
    AirHours hours = ReadAirQuality(answer);
    ASSERT_EQ(hours.times, (std::vector<std::string> { "2026-12-11T13:00", "2026-12-11T14:00" }));
    EXPECT_EQ(hours[Pollutant::PM2_5], (std::vector<std::optional<double>> { 31.4, std::nullopt }));
    EXPECT_EQ(hours[Pollutant::PM10], (std::vector<std::optional<double>> { 50, 60 }));
    EXPECT_EQ(hours[Pollutant::CO], (std::vector<std::optional<double>> { 400, std::nullopt }));
    EXPECT_EQ(hours[Pollutant::NO2], (std::vector<std::optional<double>> { 20, std::nullopt }));
    EXPECT_EQ(hours[Pollutant::O3], (std::vector<std::optional<double>> { 70, 80 }));

    const char* refused[] = {
        "[]",
        R"({"error":true,"reason":"bad"})",
        R"({"hourly":{"pm2_5":[1],"pm10":[1],"carbon_monoxide":[1],"nitrogen_dioxide":[1],"sulphur_dioxide":[1],"ozone":[1]}})",
        R"({"hourly":{"time":["a","b"],"pm2_5":[1],"pm10":[1,1],"carbon_monoxide":[1,1],"nitrogen_dioxide":[1,1],"sulphur_dioxide":[1,1],"ozone":[1,1]}})",
        R"({"hourly":{"time":["a"],"pm10":[1],"carbon_monoxide":[1],"nitrogen_dioxide":[1],"sulphur_dioxide":[1],"ozone":[1]}})",
    };
    for (const char* text : refused)
        EXPECT_THROW(ReadAirQuality(text), std::runtime_error) << text;
}
