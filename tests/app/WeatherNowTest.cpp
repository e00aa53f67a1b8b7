// SPDX-License-Identifier: GPL-3.0-or-later
// The row of the place and the conditions now, the air chip and the tray
// icon's tip, as tables over what a request can bring.

#include "app/WeatherNow.h"

#include <gtest/gtest.h>

using namespace nimbrell;

namespace {

CurrentConditions current(std::string time, std::optional<double> temperature)
{
    CurrentConditions conditions;
    conditions.time = std::move(time);
    conditions.temperature = temperature;
    return conditions;
}

WeatherExtras extras(std::time_t fetched, std::optional<CurrentConditions> now)
{
    WeatherExtras brought;
    brought.fetched = fetched;
    brought.current = std::move(now);
    return brought;
}

// 2026-12-11 06:05:30 UTC is 14:05 in China.
constexpr std::time_t kFetched = 1'796'969'130;

AirQualityIndex index(int aqi, std::vector<Pollutant> primary, std::optional<double> pm25)
{
    AirQualityIndex air;
    air.aqi = aqi;
    air.primary = std::move(primary);
    air.pm25Mean = pm25;
    return air;
}

}

TEST(NowRowView, TheCityTheTemperatureNowAndTheTimeOfTheData)
{
    struct Case {
        const char* what;
        WeatherExtras extras;
        std::string now;
        std::string updated;
    };
    const Case cases[] = {
        { "conditions now", extras(kFetched, current("2026-12-11T13:45", 3.2)), "现在 3℃", "13:45 更新" },
        { "rounded up", extras(kFetched, current("2026-12-11T00:00", 2.5)), "现在 3℃", "00:00 更新" },
        { "negative", extras(kFetched, current("2026-12-11T23:59", -13.6)), "现在 -14℃", "23:59 更新" },
        { "no minus zero", extras(kFetched, current("2026-12-11T14:00", -0.4)), "现在 0℃", "14:00 更新" },
        { "null temperature", extras(kFetched, current("2026-12-11T14:00", std::nullopt)), "", "14:00 更新" },
        { "no thermometer gives it", extras(kFetched, current("2026-12-11T14:00", 1e300)), "", "14:00 更新" },
        // Without a readable time of the conditions, the time the answer came.
        { "time unreadable", extras(kFetched, current("14:00", 4.0)), "现在 4℃", "14:05 更新" },
        { "hour out of range", extras(kFetched, current("2026-12-11T24:00", 4.0)), "现在 4℃", "14:05 更新" },
        { "classic document", extras(kFetched, std::nullopt), "", "14:05 更新" },
        { "the fetch crossed midnight in China", extras(1'796'918'400 + 59, std::nullopt), "", "00:00 更新" },
        { "nothing arrived yet", WeatherExtras(), "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NowRowView view = MakeNowRowView("哈尔滨", c.extras);
        EXPECT_EQ(view.city, "哈尔滨");
        EXPECT_EQ(view.now, c.now);
        EXPECT_EQ(view.updated, c.updated);
    }
}

TEST(AirChipView, TheGradesColourTextAndHint)
{
    struct Case {
        AirQualityIndex air;
        std::string text;
        std::uint32_t fill;
        bool darkText;
        std::string hint;
    };
    const Case cases[] = {
        { index(50, {}, 20.4), "优 50", 0xFF00E400, true, "PM2.5 20 µg/m³" },
        { index(68, { Pollutant::PM2_5 }, 61.6), "良 68", 0xFFFFFF00, true, "首要污染物 PM2.5 · PM2.5 62 µg/m³" },
        { index(101, { Pollutant::PM10, Pollutant::O3 }, 40), "轻度污染 101", 0xFFFF7E00, true,
            "首要污染物 PM10、O3 · PM2.5 40 µg/m³" },
        { index(200, { Pollutant::NO2 }, std::nullopt), "中度污染 200", 0xFFFF0000, false, "首要污染物 NO2" },
        { index(300, { Pollutant::PM2_5 }, 250), "重度污染 300", 0xFF99004C, false, "首要污染物 PM2.5 · PM2.5 250 µg/m³" },
        { index(301, { Pollutant::PM2_5 }, 251), "严重污染 301", 0xFF7E0023, false, "首要污染物 PM2.5 · PM2.5 251 µg/m³" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto chip = MakeAirChipView(c.air);
        ASSERT_TRUE(chip);
        EXPECT_EQ(chip->text, c.text);
        EXPECT_EQ(chip->fill, c.fill);
        // Dark text is dark, light text light: both read on their fill.
        EXPECT_EQ((chip->textColour & 0xFF) < 0x80, c.darkText);
        EXPECT_EQ(chip->hint, c.hint);
    }
    EXPECT_FALSE(MakeAirChipView(std::nullopt)) << "no index, no chip";
}

TEST(TrayTip, ThePlaceTheTemperatureNowOrTheRangeAndTheDescription)
{
    struct Case {
        const char* what;
        WeatherExtras extras;
        TInfo today;
        std::string tip;
    };
    const Case cases[] = {
        { "now", extras(kFetched, current("2026-12-11T14:00", 3.4)), { "晴", "3℃~-13℃", "微风" }, "哈尔滨 现在 3℃ 晴" },
        { "range without a temperature now", extras(kFetched, std::nullopt), { "晴", "3℃~-13℃", "微风" }, "哈尔滨 -13℃~3℃ 晴" },
        { "null temperature now", extras(kFetched, current("2026-12-11T14:00", std::nullopt)), { "多云转晴", "-2℃~-15℃", "" },
            "哈尔滨 -15℃~-2℃ 多云转晴" },
        { "no range", extras(kFetched, std::nullopt), { "晴", "", "" }, "哈尔滨 晴" },
        { "unknown weather", extras(kFetched, std::nullopt), { "未知天气", "5℃~1℃", "" }, "哈尔滨 1℃~5℃" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TrayTipText("哈尔滨", c.extras, c.today), c.tip);
    }
}
