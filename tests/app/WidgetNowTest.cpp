// SPDX-License-Identifier: GPL-3.0-or-later
// The row of the place and the conditions now and the air chip, end to end:
// recorded answers of the forecast and air-quality services from a loopback
// server, the widget's own request cycle and the real pixels of its frame.

#include "app/FormWeather.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/app/WidgetFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/WaitFor.h"
#include "weather/AirQualityThread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>

using namespace nimbrell;
using nimbrell::testing::Pump;
using nimbrell::testing::WaitFor;

namespace {

// Harbin on a winter day, with the conditions now.
constexpr const char* kForecast = "{\"daily\":{\"time\":[\"2026-12-11\",\"2026-12-12\",\"2026-12-13\",\"2026-12-14\",\"2026-12-15\","
                                  "\"2026-12-16\"],\"weather_code\":[0,2,3,71,0,0],"
                                  "\"temperature_2m_max\":[3.2,1,1,1,1,1],\"temperature_2m_min\":[-13.4,-9,-9,-9,-9,-9],"
                                  "\"wind_speed_10m_max\":[8,5,5,5,5,5],\"wind_direction_10m_dominant\":[0,0,0,0,0,0]},"
                                  "\"current\":{\"time\":\"2026-12-11T14:00\",\"temperature_2m\":-3.6,"
                                  "\"apparent_temperature\":-9,\"relative_humidity_2m\":40,\"weather_code\":0}}";

// Thirty hours of air around now, in China's clock as the service names them;
// PM2.5 at 60 µg/m³ all along gives AQI 82 (良), the other pollutants are missing.
std::string airAnswer(double pm25)
{
    std::string times, values, nulls;
    std::time_t now = std::time(nullptr);
    for (int hour = -28; hour <= 2; ++hour) {
        const char* comma = hour == -28 ? "" : ",";
        times += comma + ("\"" + ChinaHour(now + hour * 3600) + "\"");
        values += comma + std::to_string(pm25);
        nulls += comma + std::string("null");
    }
    std::string answer = "{\"hourly\":{\"time\":[" + times + "],\"pm2_5\":[" + values + "]";
    for (const char* name : { "pm10", "carbon_monoxide", "nitrogen_dioxide", "sulphur_dioxide", "ozone" })
        answer += ",\"" + std::string(name) + "\":[" + nulls + "]";
    return answer + "}}";
}

class WidgetNowTest : public nimbrell::testing::WidgetFixture {
protected:
    test::LoopbackHttpServer server;
    std::mutex mutex;
    test::Reply airReply { test::Reply::Ok(airAnswer(60), "application/json") };

    void SetUp() override
    {
        WidgetFixture::SetUp();
        server.SetHandler([this](const test::ReceivedRequest& request) {
            if (request.target.starts_with("/v1/forecast?"))
                return test::Reply::Ok(kForecast, "application/json");
            std::lock_guard lock(mutex);
            return airReply;
        });
        State().Hosts = ServiceHosts { "", closedPort.HostPort(), server.Url("/v1/forecast"), server.Url("/v1/air-quality") };
        writeSettings("cityCode=101050101\n");
    }

    void answerAirWith(test::Reply reply)
    {
        std::lock_guard lock(mutex);
        airReply = std::move(reply);
    }

    // Waits until the latest request's forecast and air answer have both been shown.
    static void settle(TFormWeather& form)
    {
        ASSERT_TRUE(WaitFor([&] { return form.AirSettled() && form.Widget().text_Wind->Text() != WeatherNotices::Loading; }, Pump::Queue));
        FinishAllAnimations();
    }

    // The share of the chip's pixels in the frame that have exactly this colour.
    static double chipShare(TFormWeather& form, std::uint32_t colour)
    {
        form.Scene().DrawAll();
        const TvxBitmap& frame = form.Scene().Buffer();
        TvxRect chip = form.Widget().AirChip->AbsoluteRect();
        int matching = 0, all = 0;
        for (int y = int(std::ceil(chip.Top)); y < int(chip.Bottom); ++y) {
            for (int x = int(std::ceil(chip.Left)); x < int(chip.Right); ++x) {
                ++all;
                matching += frame.Pixel(x, y) == colour;
            }
        }
        return all ? double(matching) / all : 0;
    }
};

}

TEST_F(WidgetNowTest, TheRowShowsThePlaceTheTemperatureNowAndTheTimeAndTheChipTheGradesColour)
{
    TFormWeather form;
    settle(form);
    const WidgetScene& widget = form.Widget();
    EXPECT_EQ(widget.text_city->Text(), "哈尔滨");
    EXPECT_EQ(widget.text_now->Text(), "现在 -4℃");
    EXPECT_EQ(widget.text_updated->Text(), "14:00 更新");
    EXPECT_EQ(widget.text_wenDu->Text(), "3℃~");
    ASSERT_TRUE(widget.AirChip->Visible());
    EXPECT_EQ(widget.text_air->Text(), "良 82");
    EXPECT_EQ(widget.AirChip->Hint(), "首要污染物 PM2.5 · PM2.5 60 µg/m³");
    EXPECT_TRUE(widget.AirChip->ShowHint());
    // Most of the chip is 良's yellow in the frame itself; the rest is its text and rounded corners.
    EXPECT_GT(chipShare(form, 0xFFFFFF00), 0.5);
    EXPECT_EQ(form.TrayTip(), "哈尔滨 现在 -4℃ 晴");
    // The pointer resting on the chip shows its hint; beside it, none.
    TvxRect chip = widget.AirChip->AbsoluteRect();
    auto moveTo = [&](float x, float y) {
        platform::PostMessage(form.Handle(), platform::WM_MOUSEMOVE, 0, platform::MakePointParam(int(x), int(y)));
        application.ProcessMessages();
    };
    moveTo((chip.Left + chip.Right) / 2, (chip.Top + chip.Bottom) / 2);
    EXPECT_EQ(form.Scene().WindowHint(), "首要污染物 PM2.5 · PM2.5 60 µg/m³");
    moveTo(chip.Left - 40, (chip.Top + chip.Bottom) / 2);
    EXPECT_EQ(form.Scene().WindowHint(), "");

    // A dirtier answer at the next refresh recolours the chip.
    answerAirWith(test::Reply::Ok(airAnswer(180), "application/json"));
    form.getWeather();
    settle(form);
    EXPECT_EQ(widget.text_air->Text(), "重度污染 230");
    EXPECT_GT(chipShare(form, 0xFF99004C), 0.5);
}

TEST_F(WidgetNowTest, AFailedAirAnswerHidesTheChipAndLeavesTheWeatherWhole)
{
    const std::pair<const char*, test::Reply> failures[] = {
        { "server error", test::Reply::Status(500, "Internal Server Error", "down") },
        { "garbage", test::Reply::Ok("<html>not json", "text/html") },
        { "no hours", test::Reply::Ok("{\"hourly\":{\"time\":[]}}", "application/json") },
    };
    TFormWeather form;
    settle(form);
    for (const auto& [what, reply] : failures) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(form.Widget().AirChip->Visible()) << "a good answer came before";
        answerAirWith(reply);
        form.getWeather();
        settle(form);
        const WidgetScene& widget = form.Widget();
        EXPECT_FALSE(widget.AirChip->Visible());
        EXPECT_EQ(chipShare(form, 0xFFFFFF00), 0.0);
        EXPECT_EQ(widget.text_Wind->Text(), "微风");
        EXPECT_EQ(widget.text_wenDu->Text(), "3℃~");
        EXPECT_EQ(widget.text_now->Text(), "现在 -4℃");
        EXPECT_EQ(widget.text_city->Text(), "哈尔滨");
        answerAirWith(test::Reply::Ok(airAnswer(60), "application/json"));
        form.getWeather();
        settle(form);
    }
}

TEST_F(WidgetNowTest, TheClassicDocumentShowsTheCityAndTheTimeOfTheFetchWithoutAChip)
{
    std::string document = "{\"weatherinfo\":{";
    for (int day = 1; day <= 6; ++day) {
        std::string n = std::to_string(day);
        document += (day > 1 ? "," : "") + std::string("\"temp") + n + "\":\"3℃~-13℃\",\"weather" + n + "\":\"晴\",\"wind" + n + "\":\"微风\"";
    }
    document += "}}";
    server.SetHandler([document](const test::ReceivedRequest&) { return test::Reply::Ok(document); });
    State().Hosts.weather = server.HostPort();
    auto chinaClock = [](std::time_t moment) {
        std::time_t shifted = moment + 8 * 3600;
        std::tm local {};
        gmtime_r(&shifted, &local);
        char text[8];
        std::snprintf(text, sizeof text, "%02d:%02d", local.tm_hour, local.tm_min);
        return std::string(text);
    };
    std::time_t before = std::time(nullptr);
    TFormWeather form;
    settle(form);
    std::time_t after = std::time(nullptr);
    const WidgetScene& widget = form.Widget();
    EXPECT_EQ(widget.text_city->Text(), "哈尔滨");
    EXPECT_EQ(widget.text_now->Text(), "") << "the classic document has no temperature now";
    EXPECT_TRUE(widget.text_updated->Text() == chinaClock(before) + " 更新" || widget.text_updated->Text() == chinaClock(after) + " 更新")
        << widget.text_updated->Text();
    EXPECT_FALSE(widget.AirChip->Visible()) << "no air is asked beside the classic document";
    EXPECT_EQ(form.TrayTip(), "哈尔滨 -13℃~3℃ 晴");
}
