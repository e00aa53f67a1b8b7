// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DemoService.h"
#include "app/ProcessState.h"
#include "data/CityDatabase.h"
#include "data/ResourceFile.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDirectory.h"
#include "update/UpdateThread.h"
#include "weather/AirQualityThread.h"
#include "weather/WeatherThread.h"

#include <gtest/gtest.h>
#include <regex>

using namespace nimbrell;
using nimbrell::testing::MessageRecorder;
using nimbrell::testing::TempDirectory;
using Codes = std::vector<std::pair<std::uint32_t, platform::LPARAM>>;

namespace {

class DemoServiceTest : public ::testing::Test {
protected:
    TempDirectory directory;
    std::string databaseFile { directory / "Nimbrell.db" };
    platform::Application application { std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual) };
    MessageRecorder window;

    void SetUp() override { ExtractResourceFile("Nimbrell", "exefile", databaseFile); }

    std::tm date(int year, int month, int day)
    {
        std::tm value {};
        value.tm_year = year - 1900;
        value.tm_mon = month - 1;
        value.tm_mday = day;
        std::mktime(&value);
        return value;
    }
};

}

TEST_F(DemoServiceTest, EveryPlaceGetsAForecastTheWorkerReadsAndThePicturesKnow)
{
    DemoService demo(databaseFile, kThisBuildStamp);
    CityDatabase database(databaseFile);
    auto places = database.QueryPairs("select code,name from T_weather where flag<>\"1\"");
    ASSERT_EQ(places.size(), 2561u);
    for (std::size_t i = 0; i < places.size(); i += 97) {
        auto reports = std::make_shared<ReportList>();
        window.received.clear();
        TWeatherThread::Run(WeatherRequest { .host = demo.HostPort(), .areaCode = places[i].first, .window = window.Handle(), .reports = reports });
        application.ProcessMessages();
        ASSERT_EQ(window.Codes(), (Codes { { 2025, 1 } })) << places[i].first;
        for (const auto& report : *reports->Lock()) {
            EXPECT_NE(InfoToIcon(database, report.tianQi), 0) << report.tianQi;
            EXPECT_NE(report.wenDu.find("℃~"), std::string::npos) << report.wenDu;
            EXPECT_FALSE(report.fengLi.empty());
        }
    }
}

TEST_F(DemoServiceTest, ForecastDependsOnlyOnCityAndDate)
{
    DemoService demo(databaseFile, kThisBuildStamp);
    auto winter = demo.Forecast("101050101", date(2026, 1, 15));
    ASSERT_TRUE(winter);
    EXPECT_EQ(winter, demo.Forecast("101050101", date(2026, 1, 15)));
    EXPECT_NE(winter, demo.Forecast("101050101", date(2026, 1, 16)));
    EXPECT_NE(winter, demo.Forecast("101280101", date(2026, 1, 15)));
    EXPECT_NE(winter->find("\"city\":\"哈尔滨\""), std::string::npos);
    EXPECT_FALSE(demo.Forecast("101999999", date(2026, 1, 15)));
    EXPECT_FALSE(demo.Forecast("01", date(2026, 1, 15))) << "provinces have no forecast";
}

TEST_F(DemoServiceTest, UnknownCityFailsAndTheUpdateCheckFindsNothingNewer)
{
    DemoService demo(databaseFile, kThisBuildStamp);
    auto reports = std::make_shared<ReportList>();
    TWeatherThread::Run(WeatherRequest { .host = demo.HostPort(), .areaCode = "101999999", .window = window.Handle(), .reports = reports });
    auto offer = std::make_shared<UpdateOfferSlot>();
    ThreadUpdate::Run(UpdateCheckRequest { demo.HostPort(), window.Handle(), kThisBuildStamp, offer, {} });
    application.ProcessMessages();
    EXPECT_EQ(window.Codes(), (Codes { { 2026, 1 }, { 11123, 0 } }));
}

namespace {

// The mean of the six days' highs and lows in a demo forecast document.
double meanTemperature(const std::string& document)
{
    std::regex range("\"temp[1-6]\":\"(-?[0-9]+)℃~(-?[0-9]+)℃\"");
    double sum = 0;
    int count = 0;
    for (std::sregex_iterator it(document.begin(), document.end(), range), end; it != end; ++it) {
        sum += std::stoi((*it)[1]) + std::stoi((*it)[2]);
        count += 2;
    }
    EXPECT_EQ(count, 12) << document;
    return count ? sum / count : 0;
}

}

TEST_F(DemoServiceTest, TemperaturesFollowLatitudeAndSeason)
{
    DemoService demo(databaseFile, kThisBuildStamp);
    struct Row {
        const char* code;
        int month;
        double low;
        double high;
    } rows[] = {
        { "101050101", 12, -22, -8 }, // 哈尔滨 in December: near -20 at night
        { "101280101", 12, 10, 22 },  // 广州 in December: near +15
        { "101050101", 7, 15, 30 },
        { "101280101", 7, 24, 34 },
    };
    for (const auto& row : rows) {
        auto forecast = demo.Forecast(row.code, date(2026, row.month, 10));
        ASSERT_TRUE(forecast);
        double mean = meanTemperature(*forecast);
        EXPECT_GE(mean, row.low) << row.code << " in month " << row.month;
        EXPECT_LE(mean, row.high) << row.code << " in month " << row.month;
    }
    EXPECT_EQ(demo.UpdateDocument().find(".exe"), std::string::npos);
    EXPECT_NE(demo.UpdateDocument().find("\"name\":\"nimbrell-linux-x86_64.tar.gz\""), std::string::npos);
}

TEST_F(DemoServiceTest, EveryPlaceGetsTheConditionsNowAndItsAirByPosition)
{
    DemoService demo(databaseFile, kThisBuildStamp);
    CityDatabase database(databaseFile);
    auto places = database.QueryPairs("select code,name from T_weather where flag<>\"1\"");
    for (std::size_t i = 0; i < places.size(); i += 211) {
        auto position = PlacePosition(database, places[i].first);
        ASSERT_TRUE(position) << places[i].first;
        GeoPosition at { position->first, position->second };
        auto reports = std::make_shared<ReportList>();
        window.received.clear();
        TWeatherThread::Run(WeatherRequest { .areaCode = places[i].first, .window = window.Handle(), .reports = reports, .forecastUrl = "http://" + demo.HostPort() + DemoService::kForecastPath, .position = at });
        TAirQualityThread::Run(AirQualityRequest { .url = "http://" + demo.HostPort() + DemoService::kAirQualityPath,
            .position = at,
            .window = window.Handle(),
            .reports = reports });
        application.ProcessMessages();
        ASSERT_EQ(window.Codes(), (Codes { { 2025, 1 }, { 2027, 1 } })) << places[i].first;
        auto locked = reports->Lock();
        ASSERT_EQ(locked->size(), 6u);
        for (const auto& report : *locked)
            EXPECT_NE(InfoToIcon(database, report.tianQi), 0) << report.tianQi;
        ASSERT_TRUE(locked.Extras().current);
        EXPECT_TRUE(locked.Extras().current->temperature);
        EXPECT_EQ(locked.Extras().current->time.substr(0, 13), ChinaHour(std::time(nullptr)).substr(0, 13));
        ASSERT_TRUE(locked.Extras().air);
        EXPECT_GT(locked.Extras().air->aqi, 0);
    }
}

TEST_F(DemoServiceTest, TheAirIsDirtierInANorthernWinterAndNowAndThenPolluted)
{
    DemoService demo(databaseFile, kThisBuildStamp);
    // The AQI at noon of each day of a month, for a place.
    auto month = [&](double latitude, double longitude, int monthNumber) {
        std::vector<int> indexes;
        for (int day = 1; day <= 28; ++day) {
            std::tm noon = date(2026, monthNumber, day);
            noon.tm_hour = 4; // 12:00 in China
            std::time_t moment = timegm(&noon);
            auto answer = demo.AirQuality(latitude, longitude, moment);
            if (!answer)
                return indexes;
            if (auto index = ComputeAirQuality(ReadAirQuality(*answer), ChinaHour(moment)))
                indexes.push_back(index->aqi);
        }
        return indexes;
    };
    auto mean = [](const std::vector<int>& values) {
        double sum = 0;
        for (int value : values)
            sum += value;
        return values.empty() ? 0 : sum / static_cast<double>(values.size());
    };
    auto beijingWinter = month(39.905, 116.4053, 1);
    auto guangzhouSummer = month(23.1252, 113.2806, 7);
    ASSERT_EQ(beijingWinter.size(), 28u);
    ASSERT_EQ(guangzhouSummer.size(), 28u);
    EXPECT_GT(mean(beijingWinter), mean(guangzhouSummer) + 30);
    EXPECT_LT(mean(guangzhouSummer), 100);
    auto polluted = std::count_if(beijingWinter.begin(), beijingWinter.end(), [](int aqi) { return aqi > 150; });
    EXPECT_GE(polluted, 1);
    EXPECT_LE(polluted, 10);
    EXPECT_EQ(demo.AirQuality(39.905, 116.4053, 1'796'968'800), demo.AirQuality(39.905, 116.4053, 1'796'968'800 + 60))
        << "the same hour gives the same air";
}
