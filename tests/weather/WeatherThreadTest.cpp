// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/TestCertificates.h"
#include "weather/AirQualityThread.h"
#include "weather/ForecastDate.h"
#include "weather/KeptForecast.h"
#include "weather/WeatherThread.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <map>
#include <thread>

using namespace nimbrell;
using nimbrell::testing::MessageRecorder;
using Codes = std::vector<std::pair<std::uint32_t, platform::LPARAM>>;

namespace {

// A forecast document: members given override the complete default set; an
// empty value removes the member.
std::string forecast(const std::map<std::string, std::string>& changes = {})
{
    std::map<std::string, std::string> members;
    const char* weathers[] = { "多云转晴", "晴", "阴", "小雨", "雷阵雨", "霾" };
    for (int day = 1; day <= 6; ++day) {
        std::string n = std::to_string(day);
        members["temp" + n] = "\"" + std::to_string(30 + day) + "℃~" + std::to_string(20 + day) + "℃\"";
        members["weather" + n] = std::string("\"") + weathers[day - 1] + "\"";
        members["wind" + n] = "\"北风" + n + "级\"";
    }
    for (const auto& [name, value] : changes) {
        if (value.empty())
            members.erase(name);
        else
            members[name] = value;
    }
    std::string body = "{\"weatherinfo\":{\"city\":\"北京\",\"cityid\":\"101010100\"";
    for (const auto& [name, value] : members)
        body += ",\"" + name + "\":" + value;
    return body + "}}";
}

class WeatherThreadTest : public ::testing::Test {
protected:
    platform::Application application { std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual) };
    test::LoopbackHttpServer server;
    MessageRecorder window;
    SharedReportList reports { std::make_shared<ReportList>() };

    WeatherRequest request(const std::string& areaCode = "101010100")
    {
        return WeatherRequest { .host = server.HostPort(), .areaCode = areaCode, .window = window.Handle(), .reports = reports };
    }

    Codes run(const std::string& body)
    {
        server.Route("/data/101010100.html", test::Reply::Ok(body, "text/html; charset=utf-8"));
        TWeatherThread::Run(request());
        application.ProcessMessages();
        return window.Codes();
    }

    std::vector<TInfo> records() { return *reports->Lock(); }
};

}

TEST_F(WeatherThreadTest, CompleteDocumentGivesSixReportsInDayOrder)
{
    EXPECT_EQ(run(forecast()), (Codes { { 2025, 1 } }));
    auto days = records();
    ASSERT_EQ(days.size(), 6u);
    EXPECT_EQ(days[0].tianQi, "多云转晴");
    EXPECT_EQ(days[0].wenDu, "31℃~21℃");
    EXPECT_EQ(days[0].fengLi, "北风1级");
    EXPECT_EQ(days[5].tianQi, "霾");
    EXPECT_EQ(days[5].wenDu, "36℃~26℃");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/data/101010100.html");
    EXPECT_NE(server.Requests()[0].raw.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; .NET CLR 2.0.50727)\r\n"),
        std::string::npos)
        << "the classic page keeps its agent";
}

TEST_F(WeatherThreadTest, MemberReadRules)
{
    struct Case {
        std::map<std::string, std::string> changes;
        Codes messages;
        std::size_t records;
    } cases[] = {
        { { { "wind3", "" } }, { { 2026, 1 } }, 2 },
        { { { "weather1", "null" } }, { { 2026, 1 } }, 0 },
        { { { "temp6", "[1]" } }, { { 2026, 1 } }, 5 },
        { { { "wind2", "{}" } }, { { 2026, 1 } }, 1 },
        { { { "temp1", "25" } }, { { 2025, 1 } }, 6 },
        { { { "Temp1", "\"x\"" }, { "temp1", "" } }, { { 2026, 1 } }, 0 }
    };
    for (const auto& c : cases) {
        reports->Lock()->clear();
        window.received.clear();
        EXPECT_EQ(run(forecast(c.changes)), c.messages) << forecast(c.changes);
        EXPECT_EQ(records().size(), c.records) << forecast(c.changes);
    }
    reports->Lock()->clear();
    window.received.clear();
    run(forecast({ { "temp1", "25" } }));
    EXPECT_EQ(records()[0].wenDu, "25") << "a number is read as its text";
}

TEST_F(WeatherThreadTest, DescriptionPassesThroughTheSystemCodePage)
{
    run(forecast({ { "weather1", "\"晴😀转多云\"" }, { "temp1", "\"30😀\"" }, { "wind1", "\"微风😀\"" } }));
    auto days = records();
    ASSERT_EQ(days.size(), 6u);
    EXPECT_EQ(days[0].tianQi, "晴?转多云");
    EXPECT_EQ(days[0].wenDu, "30😀");
    EXPECT_EQ(days[0].fengLi, "微风😀");
}

TEST_F(WeatherThreadTest, DocumentFailures)
{
    struct Case {
        const char* body;
        Codes messages;
    } cases[] = {
        { "{\"weatherinfo\":[1,2]}", { { 2025, 1 } } },
        { "{\"weatherinfo\":\"text\"}", { { 2025, 1 } } },
        { "{\"other\":{}}", { { 2026, 1 } } },
        { "[{\"weatherinfo\":{}}]", { { 2026, 1 } } },
        { "<html>not json</html>", { { 2026, 1 } } },
        { "", { { 2026, 1 } } },
    };
    for (const auto& c : cases) {
        window.received.clear();
        EXPECT_EQ(run(c.body), c.messages) << c.body;
        EXPECT_TRUE(records().empty()) << c.body;
    }
}

TEST_F(WeatherThreadTest, FetchFailuresReportFailure)
{
    server.Route("/data/404.html", test::Reply::Status(404, "Not Found", "missing"));
    TWeatherThread::Run(request("404"));
    nimbrell::test::ClosedPort closedPort;
    WeatherRequest refused { closedPort.HostPort(), "101010100", window.Handle(), reports, {} };
    TWeatherThread::Run(refused);
    application.ProcessMessages();
    EXPECT_EQ(window.Codes(), (Codes { { 2026, 1 }, { 2026, 1 } }));
}

TEST_F(WeatherThreadTest, ReportListOutlivesAWindowClosedWhileTheWorkerRuns)
{
    std::string body = forecast();
    server.Route("/data/101010100.html",
        test::Reply::Head(200, "OK", { "Content-Length: " + std::to_string(body.size()) }).Delay(std::chrono::milliseconds(300)).Send(body));
    std::weak_ptr<ReportList> watch = reports;
    TWeatherThread::Start(request());
    window.Close();
    reports.reset();
    // The worker still holds the list; it finishes, posts to a closed window
    // harmlessly and lets the list go.
    EXPECT_TRUE(nimbrell::testing::WaitFor([&] { return watch.expired(); }));
    application.ProcessMessages();
    EXPECT_TRUE(window.received.empty());
}

TEST(WeatherAddress, IsTheCitysDataPage)
{
    EXPECT_EQ(WeatherAddress("forecast.example:8080", "101050101"), "http://forecast.example:8080/data/101050101.html");
}

TEST_F(WeatherThreadTest, OnlyTheLatestRequestWritesIntoTheList)
{
    server.Route("/data/101010100.html", test::Reply::Ok(forecast(), "text/html; charset=utf-8"));
    nimbrell::testing::TempDirectory kept;
    WeatherRequest older = request();
    older.requestNumber = 1;
    older.keptDirectory = kept.Path().string() + "/";
    WeatherRequest newer = older;
    newer.requestNumber = 2;

    // The older worker finishes after the newer request began: it writes
    // nothing, keeps nothing, and its answer names its own request.
    reports->BeginRequest(2);
    TWeatherThread::Run(older);
    application.ProcessMessages();
    EXPECT_TRUE(records().empty());
    EXPECT_FALSE(std::filesystem::exists(KeptForecastFile(older.keptDirectory)));
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, 1u);

    TWeatherThread::Run(newer);
    application.ProcessMessages();
    EXPECT_EQ(records().size(), 6u);
    ASSERT_EQ(window.received.size(), 2u);
    EXPECT_EQ(window.received[1].wParam, 2u);
    EXPECT_TRUE(LoadKeptForecast(newer.keptDirectory, "101010100", ChinaToday())) << "an undated document is today's in China";
}

namespace {

// The forecast service asked by position, on a loopback TLS server whose
// authority is the only one trusted.
class PositionSourceTest : public WeatherThreadTest {
protected:
    nimbrell::testing::TempDirectory temp;
    nimbrell::testing::ScopedEnvironment environment;
    test::TestCertificateAuthority authority { temp.Path().string() };
    test::ServerCertificate certificate { authority.Issue("service") };
    test::LoopbackHttpServer service { { certificate.certificateFile, certificate.keyFile, {} } };
    std::string keptDirectory { temp.Path().string() + "/" };

    PositionSourceTest()
    {
        environment.Set("SSL_CERT_FILE", authority.CertificateFile());
        environment.Set("SSL_CERT_DIR", temp.Path().string());
        for (const char* name : { "https_proxy", "HTTPS_PROXY" })
            environment.Set(name, std::nullopt);
    }

    WeatherRequest positionRequest()
    {
        WeatherRequest request { .areaCode = "101280101", .window = window.Handle(), .reports = reports };
        request.forecastUrl = service.Url("/v1/forecast");
        request.position = GeoPosition { 23.1252, 113.2806 };
        request.keptDirectory = keptDirectory;
        request.fetch.readTimeoutMs = 2000;
        return request;
    }

    Codes runPosition(const test::Reply& reply)
    {
        window.received.clear();
        reports->Lock()->clear();
        service.Enqueue(reply);
        TWeatherThread::Run(positionRequest());
        application.ProcessMessages();
        return window.Codes();
    }
};

std::string fixture(const std::string& name)
{
    return nimbrell::testing::ReadFile(std::string(NIMBRELL_WEATHER_TEST_DATA) + "/" + name);
}

}

TEST_F(PositionSourceTest, AsksByPositionOverTlsAndKeepsTheResult)
{
    EXPECT_EQ(runPosition(test::Reply::Ok(fixture("forecast-short-run.json"), "application/json")), (Codes { { 2025, 1 } }));
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_EQ(service.Requests()[0].target,
        "/v1/forecast?latitude=23.1252&longitude=113.2806&daily=weather_code,temperature_2m_max,temperature_2m_min,"
        "wind_speed_10m_max,wind_direction_10m_dominant&current=temperature_2m,apparent_temperature,"
        "relative_humidity_2m,weather_code&timezone=Asia%2FShanghai&forecast_days=6");
    auto days = records();
    ASSERT_EQ(days.size(), 6u);
    EXPECT_EQ(days[0].tianQi, "小雨");
    EXPECT_EQ(days[0].wenDu, "36℃~21℃");
    EXPECT_EQ(days[0].fengLi, "北风5级");
    EXPECT_EQ(days[5].wenDu, "");

    EXPECT_EQ(days[0].day, std::chrono::year_month_day(std::chrono::year(2026), std::chrono::December, std::chrono::day(10)));
    EXPECT_EQ(days[5].day, std::chrono::year_month_day(std::chrono::year(2026), std::chrono::December, std::chrono::day(15)));

    // Kept under the answer's own first day, not the machine's.
    auto kept = LoadKeptForecast(keptDirectory, "101280101", days[0].day);
    ASSERT_TRUE(kept);
    EXPECT_EQ((*kept)[0].wenDu, "36℃~21℃");
}

TEST_F(PositionSourceTest, BadAnswersAreFailuresThatKeepNothing)
{
    struct Row {
        const char* what;
        test::Reply reply;
    } rows[] = {
        { "400 with a reason", test::Reply::Status(400, "Bad Request", fixture("forecast-error.json")) },
        { "429", test::Reply::Status(429, "Too Many Requests", "{}") },
        { "arrays shorter than six", test::Reply::Ok("{\"daily\":{\"weather_code\":[1]}}") },
        { "garbage", test::Reply::Ok("\x01\x02garbage") },
        { "10 MB answer", test::Reply::Head(200, "OK", { "Content-Length: 10485760" }).SendForever("[1,", 10 << 20) },
    };
    for (auto& row : rows) {
        EXPECT_EQ(runPosition(row.reply), (Codes { { 2026, 1 } })) << row.what;
        EXPECT_TRUE(records().empty()) << row.what;
    }
    EXPECT_FALSE(std::filesystem::exists(KeptForecastFile(keptDirectory)));

    // No position known for the city: nothing is asked.
    WeatherRequest unknown = positionRequest();
    unknown.position.reset();
    window.received.clear();
    TWeatherThread::Run(unknown);
    application.ProcessMessages();
    EXPECT_EQ(window.Codes(), (Codes { { 2026, 1 } }));
    EXPECT_EQ(service.Requests().size(), std::size(rows));
}

TEST_F(PositionSourceTest, AnUntrustedServiceIsAFailureAndIsNotRead)
{
    environment.Set("SSL_CERT_FILE", temp / "no-such-authority.pem");
    EXPECT_EQ(runPosition(test::Reply::Ok(fixture("forecast-beijing.json"))), (Codes { { 2026, 1 } }));
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(PositionSourceTest, TheConditionsNowComeInTheSameAnswer)
{
    std::time_t before = std::time(nullptr);
    EXPECT_EQ(runPosition(test::Reply::Ok(fixture("forecast-current.json"), "application/json")), (Codes { { 2025, 1 } }));
    EXPECT_EQ(records().size(), 6u);
    auto locked = reports->Lock();
    const WeatherExtras& extras = locked.Extras();
    ASSERT_TRUE(extras.current);
    EXPECT_EQ(extras.current->time, "2026-12-11T14:00");
    EXPECT_EQ(extras.current->temperature, -3.4);
    EXPECT_EQ(extras.current->apparentTemperature, -8.1);
    EXPECT_EQ(extras.current->relativeHumidity, 38);
    EXPECT_EQ(extras.current->weatherCode, 0);
    EXPECT_GE(extras.fetched, before);
    EXPECT_FALSE(extras.air) << "the air is a request of its own";
}

TEST_F(PositionSourceTest, AnAnswerWithoutTheConditionsNowIsStillAForecast)
{
    EXPECT_EQ(runPosition(test::Reply::Ok(fixture("forecast-beijing.json"), "application/json")), (Codes { { 2025, 1 } }));
    EXPECT_EQ(records().size(), 6u);
    EXPECT_FALSE(reports->Lock().Extras().current);
    EXPECT_NE(reports->Lock().Extras().fetched, 0);
}

namespace {

// 2026-12-11 14:00 in China (06:00 UTC), the recorded answer's current hour.
constexpr std::time_t kRecordedNow = 1'796'968'800;

class AirQualitySourceTest : public PositionSourceTest {
protected:
    AirQualityRequest airRequest()
    {
        AirQualityRequest request { .url = service.Url("/v1/air-quality"), .position = { 39.9042, 116.4074 } };
        request.window = window.Handle();
        request.reports = reports;
        request.requestNumber = 0;
        request.now = kRecordedNow;
        request.fetch.readTimeoutMs = 2000;
        return request;
    }

    Codes runAir(const test::Reply& reply, AirQualityRequest request)
    {
        window.received.clear();
        service.Enqueue(reply);
        TAirQualityThread::Run(request);
        application.ProcessMessages();
        return window.Codes();
    }
};

}

TEST_F(AirQualitySourceTest, TheRecordedAnswerGivesTheIndexBesideTheReports)
{
    EXPECT_EQ(ChinaHour(kRecordedNow), "2026-12-11T14:00");
    EXPECT_EQ(runPosition(test::Reply::Ok(fixture("forecast-current.json"), "application/json")), (Codes { { 2025, 1 } }));
    EXPECT_EQ(runAir(test::Reply::Ok(fixture("air-quality-beijing.json"), "application/json"), airRequest()),
        (Codes { { 2027, 1 } }));
    ASSERT_EQ(service.Requests().size(), 2u);
    // The program names itself and its page to the services it asks by position.
    for (const auto& request : service.Requests()) {
        EXPECT_NE(request.raw.find("\r\nUser-Agent: " + ServiceUserAgent() + "\r\n"), std::string::npos) << request.raw;
    }
    EXPECT_EQ(ServiceUserAgent(), "Nimbrell/" NIMBRELL_VERSION " (+https://nimbrell.example.org/)");
    EXPECT_EQ(service.Requests()[1].target,
        "/v1/air-quality?latitude=39.9042&longitude=116.4074&hourly=pm10,pm2_5,carbon_monoxide,nitrogen_dioxide,"
        "sulphur_dioxide,ozone&timezone=Asia%2FShanghai&past_days=1&forecast_days=1");
    auto locked = reports->Lock();
    EXPECT_EQ(locked->size(), 6u);
    const auto& air = locked.Extras().air;
    ASSERT_TRUE(air);
    // PM2.5 over the day ending at 14:00: twelve hours at 70 and eleven at 60
    // (one hour missing), 65.2 → 50 + 50 × 30.2 / 40 = 87.8.
    EXPECT_EQ(air->aqi, 88);
    EXPECT_NEAR(*air->pm25Mean, 1500.0 / 23, 1e-9);
    EXPECT_EQ(air->primary, std::vector<Pollutant> { Pollutant::PM2_5 });
    EXPECT_STREQ(GradeOf(air->aqi).name, "良");
    EXPECT_TRUE(locked.Extras().current) << "the air leaves the conditions now alone";
}

TEST_F(AirQualitySourceTest, AFailedAirAnswerLeavesTheWeatherWhole)
{
    EXPECT_EQ(runPosition(test::Reply::Ok(fixture("forecast-current.json"), "application/json")), (Codes { { 2025, 1 } }));
    struct Row {
        const char* what;
        test::Reply reply;
    } rows[] = {
        { "500", test::Reply::Status(500, "Internal Server Error", "{}") },
        { "an error object", test::Reply::Status(400, "Bad Request", "{\"error\":true,\"reason\":\"x\"}") },
        { "garbage", test::Reply::Ok("\x01garbage") },
        { "no hourly arrays", test::Reply::Ok("{\"hourly\":{\"time\":[]}}") },
    };
    for (auto& row : rows) {
        EXPECT_EQ(runAir(row.reply, airRequest()), (Codes { { 2027, 0 } })) << row.what;
        auto locked = reports->Lock();
        EXPECT_EQ(locked->size(), 6u) << row.what;
        EXPECT_TRUE(locked.Extras().current) << row.what;
        EXPECT_FALSE(locked.Extras().air) << row.what;
    }

    // An hour the answer does not hold: no index.
    AirQualityRequest later = airRequest();
    later.now += 2 * 24 * 3600;
    EXPECT_EQ(runAir(test::Reply::Ok(fixture("air-quality-beijing.json")), later), (Codes { { 2027, 0 } }));

    // The answer of an older request is not stored.
    reports->BeginRequest(1);
    EXPECT_EQ(runAir(test::Reply::Ok(fixture("air-quality-beijing.json")), airRequest()), (Codes { { 2027, 0 } }));
    EXPECT_FALSE(reports->Lock().Extras().air);
}
