// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormUpdate.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/shapes/TvxText.h"
#include "tests/app/WidgetFixture.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/WaitFor.h"
#include "weather/ForecastDate.h"
#include "weather/KeptForecast.h"
#include "weather/WeatherThread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

using namespace nimbrell;
using nimbrell::testing::Pump;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WaitFor;
using nimbrell::testing::WriteFile;

namespace {

class FormWeatherTest : public nimbrell::testing::WidgetFixture { };

}

TEST_F(FormWeatherTest, FirstStartUsesTheDefaultsAndWritesOutTheDatabase)
{
    TFormWeather form;
    EXPECT_TRUE(backend->MessageBoxes().empty());
    EXPECT_EQ(State().ConfigDirectory, configDirectory);
    EXPECT_EQ(State().DataDirectory, dataDirectory);
    EXPECT_EQ(State().BuildStamp, 201108181030);
    EXPECT_EQ(form.Left(), 500);
    EXPECT_EQ(form.Top(), 300);
    EXPECT_EQ(form.Native().Width(), 635);
    EXPECT_EQ(form.Native().Height(), 866);
    EXPECT_EQ(State().CityCode, "101010100");
    EXPECT_EQ(State().ShowMoreMode, "0");
    EXPECT_FLOAT_EQ(form.SceneScale(), 1.0f);
    ASSERT_TRUE(State().Database);
    EXPECT_EQ(State().Database->QueryPairs("select name,code from T_weather").size(), 2595u);
    EXPECT_FALSE(std::filesystem::exists(settingsPath)) << "the settings file is created by the first write";
}

TEST_F(FormWeatherTest, StoredSettingsPlaceAndScaleTheWindow)
{
    struct Case {
        const char* lines;
        int left, top;
        float scale;
        const char* city;
        const char* mode;
    } cases[] = {
        { "formLeft=0x1F4\nformTop=-20\nwinSize=5\n", 500, -20, 0.5f, "101010100", "0" },
        { "formLeft=abc\nformTop=\nwinSize=20\ncityCode=101050101\nshowMore=2\n", 500, 300, 2.0f, "101050101", "2" },
        { "formLeft=9000\nformTop=9000\nshowMore=7\n", 9000, 9000, 1.0f, "101010100", "7" },
    };
    for (const auto& c : cases) {
        writeSettings(c.lines);
        TFormWeather form;
        EXPECT_EQ(form.Left(), c.left) << c.lines;
        EXPECT_EQ(form.Top(), c.top) << c.lines;
        EXPECT_FLOAT_EQ(form.SceneScale(), c.scale) << c.lines;
        EXPECT_EQ(State().CityCode, c.city) << c.lines;
        EXPECT_EQ(State().ShowMoreMode, c.mode) << c.lines;
    }
}

TEST_F(FormWeatherTest, CloseWritesThePositionAndTheNextStartUsesIt)
{
    {
        TFormWeather form;
        form.Move(42, 4242);
        form.Close();
    }
    EXPECT_EQ(ReadFile(settingsPath), "[CONFIG]\nformLeft=42\nformTop=4242\n");
    TFormWeather again;
    EXPECT_EQ(again.Left(), 42);
    EXPECT_EQ(again.Top(), 4242);
}

TEST_F(FormWeatherTest, ReportListOutlivesTheWindowForWorkersStillRunning)
{
    SharedReportList heldByWorker;
    {
        TFormWeather form;
        heldByWorker = form.Reports();
        form.Close();
    }
    heldByWorker->Lock()->push_back(TInfo { "晴", "25℃", "微风" });
    EXPECT_EQ(heldByWorker->Lock()->size(), 1u);
}

TEST_F(FormWeatherTest, SettingsThatCannotBeWrittenAtCloseAreReportedAndTheWindowStillCloses)
{
    TFormWeather form;
    std::filesystem::remove_all(configDirectory);
    WriteFile(configDirectory.substr(0, configDirectory.size() - 1), "the folder became a file");
    application.SetMainWindow(form.Handle());
    platform::PostMessage(form.Handle(), platform::WM_CLOSE, 0, 0);
    application.ProcessMessages();
    EXPECT_TRUE(form.IsClosed());
    EXPECT_TRUE(application.Terminated());
    ASSERT_EQ(backend->MessageBoxes().size(), 1u);
    EXPECT_EQ(backend->MessageBoxes()[0].text, "无法写入设置文件 " + settingsPath);
}

TEST_F(FormWeatherTest, AnEarlierBuildsSettingsAndForecastAreMovedAndUsed)
{
    // The folders earlier builds used: $TEMP's first, then the cache's.
    std::string inTemp = temp / "tmp/NimbrellWeather/", inCache = temp / "cache/NimbrellWeather/";
    const std::string settings = "[CONFIG]\nformLeft=13\nformTop=14\ncityCode=101050101\ncity=哈尔滨\n";
    std::vector<TInfo> days(6, TInfo { "阴", "18℃~9℃", "东风" });
    for (const auto& folder : { inTemp, inCache }) {
        std::filesystem::create_directories(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        WriteFile(folder + "historyLog.ini", folder == inTemp ? settings : "[CONFIG]\nformLeft=99\n");
    }
    KeepForecast(inTemp, "101050101", ChinaDate(std::time(nullptr)), days);
    environment.Set("TEMP", temp / "tmp");
    {
        TFormWeather form;
        EXPECT_TRUE(backend->MessageBoxes().empty());
        EXPECT_EQ(form.Left(), 13) << "the moved settings are read";
        EXPECT_EQ(State().CityCode, "101050101");
        EXPECT_EQ(form.Widget().text_weather->Text(), "阴") << "the moved forecast is shown";
        EXPECT_EQ(ReadFile(settingsPath), settings) << "unchanged";
        EXPECT_FALSE(std::filesystem::exists(inTemp + "historyLog.ini"));
        EXPECT_TRUE(std::filesystem::exists(KeptForecastFile(dataDirectory)));
        EXPECT_FALSE(std::filesystem::exists(KeptForecastFile(inTemp)));
        EXPECT_EQ(std::filesystem::status(settingsPath).permissions(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        form.Close();
    }
    EXPECT_NE(ReadFile(settingsPath).find("formLeft=13"), std::string::npos);
    // Once there is a settings file, no earlier one replaces it.
    State() = ProcessState {};
    environment.Set("TEMP", std::nullopt);
    TFormWeather again;
    EXPECT_EQ(again.Left(), 13);
    EXPECT_TRUE(std::filesystem::exists(inCache + "historyLog.ini"));
}

TEST_F(FormWeatherTest, AnEarlierFolderOthersCanChangeIsNotMovedFrom)
{
    // Someone created the folder first in a shared TEMP and opened it to all.
    std::string planted = temp / "NimbrellWeather";
    std::filesystem::create_directory(planted);
    std::filesystem::permissions(planted, std::filesystem::perms::all);
    WriteFile(planted + "/historyLog.ini", "[CONFIG]\nformLeft=13\n");
    environment.Set("TEMP", temp.Path().string());

    TFormWeather form;
    EXPECT_TRUE(backend->MessageBoxes().empty());
    EXPECT_EQ(form.Left(), 500) << "nothing is read from the planted folder";
    EXPECT_TRUE(std::filesystem::exists(planted + "/historyLog.ini"));
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
    EXPECT_EQ(std::filesystem::status(State().ConfigDirectory).permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(std::filesystem::status(State().DataDirectory).permissions(), std::filesystem::perms::owner_all);
}

TEST_F(FormWeatherTest, UpdateCheckOutcomesReachTheMainWindow)
{
    TFormWeather form;
    // The form's own update worker may still hand over into the slot it was
    // given; this test hands over through a slot of its own.
    auto offer = std::make_shared<UpdateOfferSlot>();
    State().Offer = offer;
    auto post = [&](std::uint32_t code, platform::LPARAM lParam) {
        platform::PostMessage(form.Handle(), code, 0, lParam);
        application.ProcessMessages();
    };

    post(11123, 0);
    post(11122, 0);
    EXPECT_EQ(form.UpdateOffersReceived(), 0);
    EXPECT_TRUE(backend->MessageBoxes().empty());

    int windowsOpened = 0;
    form.OnUpdateWindowOpened = [&](TFormUpdate& window) {
        ++windowsOpened;
        window.Scene().CloseForm();
    };
    post(11123, 1);
    EXPECT_EQ(form.UpdateOffersReceived(), 1);
    EXPECT_EQ(windowsOpened, 1);
    EXPECT_EQ(form.UpdateWindow(), nullptr) << "freed when it closes";

    offer->Store(UpdateOffer { "http://dl.example/nimbrell.exe", "", "" });
    post(11122, 1);
    offer->Store(UpdateOffer {});
    post(11122, 1);
    ASSERT_EQ(backend->MessageBoxes().size(), 2u);
    std::string document = "http://" + closedPort.HostPort() + "/weather/updateInfo.html";
    EXPECT_EQ(backend->MessageBoxes()[0].text, "更新信息无法读取:\n" + document + "\n下载地址: http://dl.example/nimbrell.exe");
    EXPECT_EQ(backend->MessageBoxes()[0].caption, "Nimbrell - 桌面天气预报");
    EXPECT_EQ(backend->MessageBoxes()[1].text, "更新信息无法读取:\n" + document) << "a failure before the address was read still says what failed";
}

TEST_F(FormWeatherTest, AHugeAddressIsCutShortInTheFailureBox)
{
    TFormWeather form;
    auto offer = std::make_shared<UpdateOfferSlot>();
    State().Offer = offer;
    std::string url = "http://dl.example/" + std::string(16u << 20, 'x');
    url.replace(2046, 3, "北"); // a character across the cut at 2048 bytes
    offer->Store(UpdateOffer { url, "", "" });
    platform::PostMessage(form.Handle(), kUpdateFailedMessage, 0, 1);
    application.ProcessMessages();
    ASSERT_EQ(backend->MessageBoxes().size(), 1u);
    const std::string& text = backend->MessageBoxes()[0].text;
    EXPECT_EQ(text.substr(text.find("下载地址: ") + std::string("下载地址: ").size()), url.substr(0, 2046) + "…");
}

TEST_F(FormWeatherTest, StartUpFetchesTheWeatherAndChecksForUpdates)
{
    test::LoopbackHttpServer server;
    std::string weather = "{\"weatherinfo\":{";
    for (int day = 1; day <= 6; ++day) {
        std::string n = std::to_string(day);
        weather += (day > 1 ? "," : "") + std::string("\"temp") + n + "\":\"2" + n + "℃~1" + n + "℃\",\"weather" + n
            + "\":\"晴\",\"wind" + n + "\":\"微风\"";
    }
    weather += "}}";
    server.Route("/data/101050101.html", test::Reply::Ok(weather));
    server.Route("/weather/updateInfo.html",
        test::Reply::Ok("{\"updateInfo\":{\"versionDate\":\"201108181031\",\"url\":\"http://dl.example/n\",\"name\":\"n\",\"description\":\"d\"}}"));
    State().Hosts = ServiceHosts { server.HostPort(), server.HostPort() };
    writeSettings("cityCode=101050101\n");

    TFormWeather form;
    form.OnUpdateWindowOpened = [](TFormUpdate& window) { window.Scene().CloseForm(); };
    auto reports = form.Reports();
    WaitFor([&] { return reports->Lock()->size() >= 6 && form.UpdateOffersReceived() > 0; }, Pump::Queue);
    ASSERT_EQ(reports->Lock()->size(), 6u);
    EXPECT_EQ((*reports->Lock())[5].wenDu, "26℃~16℃");
    EXPECT_EQ(form.UpdateOffersReceived(), 1);
    EXPECT_EQ(State().Offer->Load().url, "http://dl.example/n");
    EXPECT_TRUE(backend->MessageBoxes().empty());

    server.Route("/data/101050101.html",
        test::Reply::Head(200, "OK", { "Content-Length: " + std::to_string(weather.size()) }).Delay(std::chrono::milliseconds(500)).Send(weather));
    form.getWeather();
    EXPECT_TRUE(reports->Lock()->empty()) << "a new request starts from an empty list";
}

TEST_F(FormWeatherTest, WithoutAWeatherHostTheForecastIsAskedByTheCitysPosition)
{
    test::TestCertificateAuthority authority(temp.Path().string());
    auto certificate = authority.Issue("forecast");
    environment.Set("SSL_CERT_FILE", authority.CertificateFile());
    environment.Set("SSL_CERT_DIR", temp.Path().string());
    environment.Set("https_proxy", std::nullopt);
    environment.Set("HTTPS_PROXY", std::nullopt);
    test::LoopbackHttpServer service({ certificate.certificateFile, certificate.keyFile, {} });
    service.Enqueue(test::Reply::Ok("{\"daily\":{\"weather_code\":[0,2,61,3,95,71],"
                                    "\"temperature_2m_max\":[35.6,1,1,1,1,1],\"temperature_2m_min\":[21.4,0,0,0,0,0],"
                                    "\"wind_speed_10m_max\":[30,5,5,5,5,5],\"wind_direction_10m_dominant\":[0,0,0,0,0,0]}}",
        "application/json"));
    State().Hosts = ServiceHosts { "", closedPort.HostPort(), service.Url("/v1/forecast") };
    writeSettings("cityCode=101050101\n");

    TFormWeather form;
    auto reports = form.Reports();
    WaitFor([&] { return reports->Lock()->size() >= 6; }, Pump::Queue);
    ASSERT_EQ(reports->Lock()->size(), 6u);
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_THAT(service.Requests()[0].target, ::testing::StartsWith("/v1/forecast?latitude=45.8030&longitude=126.5351&"));
    auto days = *reports->Lock();
    EXPECT_EQ(days[0].wenDu, "36℃~21℃");
    EXPECT_EQ(days[0].fengLi, "北风5级");
    // The descriptions pick the pictures of sun, clouds and rain.
    EXPECT_EQ(InfoToIcon(*State().Database, days[0].tianQi), 1);
    EXPECT_EQ(InfoToIcon(*State().Database, days[1].tianQi), 2);
    EXPECT_EQ(InfoToIcon(*State().Database, days[2].tianQi), 6);
    EXPECT_EQ(InfoToIcon(*State().Database, days[4].tianQi), 5);

    // The result is kept for the next start, under this city and today; the
    // worker writes the file after it has filled the list. The answer names no
    // days: they are China's from today.
    std::optional<std::vector<TInfo>> kept;
    WaitFor([&] { return (kept = LoadKeptForecast(dataDirectory, "101050101", ChinaToday())).has_value(); });
    ASSERT_TRUE(kept);
    EXPECT_EQ((*kept)[0].wenDu, "36℃~21℃");
}

TEST_F(FormWeatherTest, AnswersOfEarlierWeatherRequestsAreNotCurrent)
{
    TFormWeather form;
    platform::Message answer {};
    answer.message = kWeatherReadyMessage;
    answer.wParam = 1;
    EXPECT_TRUE(form.IsCurrentWeatherResult(answer)) << "the start-up's request is the first";
    form.getWeather();
    EXPECT_FALSE(form.IsCurrentWeatherResult(answer));
    answer.wParam = 2;
    EXPECT_TRUE(form.IsCurrentWeatherResult(answer));
}
