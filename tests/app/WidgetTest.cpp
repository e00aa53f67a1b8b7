// SPDX-License-Identifier: GPL-3.0-or-later
// The widget as a user meets it, on the headless back end: the stored scene,
// the weather cycle against a real loopback server, the replay flag on the
// manual clock, the rendered picture, the window modes and the menus.

#include "app/DemoService.h"
#include "app/FormUpdate.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "app/RenderWidget.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/controls/TvxButton.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxImageCodec.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxImageList.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/support/WaitFor.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"
#include "weather/ForecastDate.h"
#include "weather/KeptForecast.h"
#include "weather/WeatherThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace nimbrell;
using nimbrell::testing::Pump;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WaitFor;
using nimbrell::testing::WriteFile;
using platform::MakePointParam;
using platform::PostMessage;

namespace {

struct Day {
    std::string temp, weather, wind;
};

std::string forecastDocument(const std::vector<Day>& days)
{
    std::string body = "{\"weatherinfo\":{\"city\":\"测试\"";
    for (std::size_t i = 0; i < days.size(); ++i) {
        std::string n = std::to_string(i + 1);
        body += ",\"temp" + n + "\":\"" + days[i].temp + "\",\"weather" + n + "\":\"" + days[i].weather + "\",\"wind" + n
            + "\":\"" + days[i].wind + "\"";
    }
    return body + "}}";
}

// Pixels with more alpha than minimumAlpha, as a box (right and bottom
// exclusive); empty when none.
struct InkBox {
    int left { 1 << 20 }, top { 1 << 20 }, right { -1 }, bottom { -1 };
    bool Empty() const { return right < 0; }
};

InkBox inkBox(const TvxBitmap& bitmap, int left = 0, int top = 0, int right = -1, int bottom = -1, unsigned minimumAlpha = 0)
{
    if (right < 0)
        right = bitmap.Width();
    if (bottom < 0)
        bottom = bitmap.Height();
    InkBox box;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if ((bitmap.Pixel(x, y) >> 24) <= minimumAlpha)
                continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box;
}

bool samePixels(const TvxBitmap& a, const TvxBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Width() == 0)
        return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return false;
        }
    }
    return true;
}

class WidgetTest : public ::testing::Test {
protected:
    TempDirectory temp;
    std::string configDirectory { (temp.Path() / "config/nimbrell").string() + "/" };
    std::string dataDirectory { (temp.Path() / "cache/nimbrell").string() + "/" };
    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    nimbrell::testing::ScopedEnvironment environment;
    test::LoopbackHttpServer server;

    void SetUp() override
    {
        State() = ProcessState {};
        environment.Set("XDG_CONFIG_HOME", (temp.Path() / "config").string());
        environment.Set("XDG_CACHE_HOME", (temp.Path() / "cache").string());
        environment.Set("TEMP", std::nullopt);
        application.SetTitle(kApplicationTitle);
        State().Hosts = ServiceHosts { server.HostPort(), "127.0.0.1:1" };
    }
    void TearDown() override { State() = ProcessState {}; }

    void writeSettings(const std::string& lines)
    {
        std::filesystem::create_directories(configDirectory);
        WriteFile(configDirectory + "historyLog.ini", "[CONFIG]\n" + lines);
    }

    void post(TFormWeather& form, std::uint32_t code, int x = 0, int y = 0, platform::WPARAM flags = 0)
    {
        PostMessage(form.Handle(), code, flags, MakePointParam(x, y));
        application.ProcessMessages();
    }

    void choose(const platform::HeadlessBackend::PopupRecord& popup, int index)
    {
        PostMessage(popup.target, platform::WM_COMMAND, static_cast<platform::WPARAM>(index), 0);
        application.ProcessMessages();
    }

    static std::vector<std::string> texts(const std::array<TvxText*, 5>& elements)
    {
        std::vector<std::string> out;
        for (TvxText* text : elements)
            out.push_back(text->Text());
        return out;
    }

    static bool anyEntranceRunning(const TFormWeather& form)
    {
        const auto& entrance = form.Widget().entrance;
        return std::any_of(entrance.begin(), entrance.end(), [](TvxAnimation* a) { return a->Running(); });
    }

    void endAnimations()
    {
        for (int i = 0; i < 100; ++i) {
            backend->AdvanceClock(100);
            application.ProcessMessages();
        }
    }
};

}

TEST_F(WidgetTest, TheStoredSceneShowsNoSampleWeatherBeforeTheFirstResult)
{
    server.Route("/data/101010100.html", test::Reply::Ok("").Stall());
    TFormWeather form;
    ASSERT_TRUE(backend->MessageBoxes().empty());
    const WidgetScene& widget = form.Widget();
    ASSERT_NE(widget.Root1, nullptr);

    EXPECT_FALSE(widget.Root1->HitTest());
    EXPECT_EQ(widget.Root1->PopupMenu(), widget.PopupMenu1);
    EXPECT_FALSE(widget.RectangleMore->Visible());
    EXPECT_EQ(widget.vxImageList1->Count(), 16);
    EXPECT_EQ(widget.vxImageList1->GetImage(15)->Width(), 175);
    EXPECT_EQ(widget.vxImageList1->GetImage(15)->Height(), 120);

    // The N/A picture and empty texts, with the loading notice.
    const TvxBitmap& notAvailable = *widget.vxImageList1->GetImage(0);
    EXPECT_TRUE(samePixels(widget.Image1->Fill().Bitmap().Bitmap(), notAvailable));
    for (TvxImage* image : widget.dayImages)
        EXPECT_TRUE(samePixels(image->Bitmap(), notAvailable));
    EXPECT_EQ(widget.text_Wind->Text(), "正在获取天气信息...");
    EXPECT_EQ(widget.text_wenDu->Text(), "");
    EXPECT_EQ(widget.text_weather->Text(), "");
    EXPECT_EQ(texts(widget.dayTemperatures), std::vector<std::string>(5, ""));
    EXPECT_EQ(form.Widget().design->Find<TvxText>("text_date2")->Text(), "明天");
    EXPECT_EQ(form.Widget().design->Find<TvxText>("text_date3")->Text(), "后天");
    EXPECT_FALSE(widget.N1->Enabled()) << "no refresh while a request runs";
    EXPECT_TRUE(anyEntranceRunning(form));

    std::vector<std::string> captions;
    for (const auto& entry : widget.PopupMenu1->Entries())
        captions.push_back(entry.visible ? entry.caption : "(" + entry.caption + ")");
    EXPECT_EQ(captions, (std::vector<std::string> { "刷新", "-", "未来五天", "嵌入桌面", "鼠标穿透", "软件设置", "-", "(关于)", "退出" }));
}

TEST_F(WidgetTest, TheKeptForecastStandsInUntilTheFirstAnswer)
{
    server.Route("/data/101010100.html", test::Reply::Ok("").Stall());
    std::filesystem::create_directories(dataDirectory);
    KeepForecast(dataDirectory, "101010100", ChinaToday(), std::vector<TInfo>(6, TInfo { "阴", "18℃~9℃", "东风" }));
    TFormWeather form;
    const WidgetScene& widget = form.Widget();
    EXPECT_EQ(widget.text_wenDu->Text(), "18℃~");
    EXPECT_EQ(widget.text_weather->Text(), "阴");
    EXPECT_EQ(widget.dayWeathers[4]->Text(), "阴,东风");
    EXPECT_TRUE(samePixels(widget.Image1->Fill().Bitmap().Bitmap(), *widget.vxImageList1->GetImage(3)));
    EXPECT_EQ(widget.text_Wind->Text(), "正在获取天气信息...") << "the request is on its way";
}

TEST_F(WidgetTest, WeatherTextsPicturesAndDatesFromAServer)
{
    server.Route("/data/101010100.html",
        test::Reply::Ok(forecastDocument({ { "32℃~20℃", "霾", "北风3-4级" }, { "30℃~21℃", "晴", "微风" }, { "29℃~19℃", "阴", "微风" },
            { "28℃~18℃", "小雨转中雨", "南风" }, { "27℃~17℃", "多云转晴", "东风" }, { "26℃~16℃", "雷阵雨伴有冰雹", "西风" } })));
    // Noon of 30 December in China, whatever the machine's zone.
    std::time_t thirtiethOfDecember
        = std::chrono::system_clock::to_time_t(std::chrono::sys_days(std::chrono::year(2025) / 12 / 30) + std::chrono::hours(4));

    TFormWeather form;
    form.SetClock([=] { return thirtiethOfDecember; });
    ASSERT_TRUE(WaitFor([&] { return form.WeatherSettled(); }, Pump::Queue));
    const WidgetScene& widget = form.Widget();
    EXPECT_EQ(widget.text_wenDu->Text(), "32℃~");
    EXPECT_EQ(widget.text_wenDu_2->Text(), "20℃");
    EXPECT_EQ(widget.text_weather->Text(), "霾");
    EXPECT_EQ(widget.text_Wind->Text(), "北风3-4级");
    EXPECT_TRUE(samePixels(widget.Image1->Fill().Bitmap().Bitmap(), *widget.vxImageList1->GetImage(0))) << "霾 is in no row";
    int expectedPictures[] = { 1, 3, 6, 2, 5 };
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(samePixels(widget.dayImages[i]->Bitmap(), *widget.vxImageList1->GetImage(expectedPictures[i]))) << "day " << i + 2;
    EXPECT_EQ(texts(widget.dayTemperatures), (std::vector<std::string> { "30℃~21℃", "29℃~19℃", "28℃~18℃", "27℃~17℃", "26℃~16℃" }));
    EXPECT_EQ(widget.dayWeathers[1]->Text(), "阴,微风");
    EXPECT_EQ(widget.dayDates[0]->Text(), "01月02日");
    EXPECT_EQ(widget.dayDates[1]->Text(), "01月03日");
    EXPECT_EQ(widget.dayDates[2]->Text(), "01月04日");
    EXPECT_EQ(form.RefreshTimer().Interval(), 10'800'000u) << "the settings window's default, 180 minutes";
    EXPECT_TRUE(form.RefreshTimer().Enabled());
    EXPECT_TRUE(widget.N1->Enabled());
    EXPECT_EQ(form.ReplayFlag(), 1);

    // A temperature without "~" and a hostile description.
    std::string flood(10'000, 'x');
    server.Route("/data/101010100.html", test::Reply::Ok(forecastDocument(std::vector<Day>(6, { "25℃", "晴\\u0007" + flood, "微风" }))));
    form.getWeather();
    ASSERT_TRUE(WaitFor([&] { return widget.N1->Enabled(); }, Pump::Queue));
    EXPECT_EQ(widget.text_wenDu->Text(), "");
    EXPECT_EQ(widget.text_wenDu_2->Text(), "25℃");
    EXPECT_EQ(widget.text_weather->Text(), "晴 " + std::string(198, 'x')) << "control characters blanked, 200 characters shown";
    form.Scene().DrawAll();
}

TEST_F(WidgetTest, AnAnswerWithoutSixDaysIsAFailedFetchRetriedAfterAMinute)
{
    std::string good = forecastDocument(std::vector<Day>(6, { "25℃~15℃", "晴", "微风" }));
    for (const char* answer : { "{\"weatherinfo\":5}", "{\"weatherinfo\":[]}", "{\"weatherinfo\":[1,2]}" }) {
        server.Route("/data/101010100.html", test::Reply::Ok(answer));
        TFormWeather form;
        ASSERT_TRUE(WaitFor([&] { return form.WeatherSettled(); }, Pump::Queue)) << answer;
        const WidgetScene& widget = form.Widget();
        EXPECT_TRUE(backend->MessageBoxes().empty()) << answer;
        EXPECT_EQ(widget.text_Wind->Text(), "获取失败,一分钟后重新获取!") << answer;
        EXPECT_EQ(form.RefreshTimer().Interval(), 60'000u) << answer;
        EXPECT_TRUE(form.RefreshTimer().Enabled()) << answer;
        EXPECT_TRUE(widget.N1->Enabled()) << answer;
        EXPECT_EQ(form.ReplayFlag(), 0) << answer;

        // A minute later the retry brings the weather.
        server.Route("/data/101010100.html", test::Reply::Ok(good));
        backend->AdvanceClock(60'000);
        ASSERT_TRUE(WaitFor([&] { return widget.text_Wind->Text() == "微风"; }, Pump::Queue)) << answer;
        EXPECT_EQ(widget.text_wenDu->Text(), "25℃~");
    }
}

TEST_F(WidgetTest, NoFailureLeavesTheCycleWithoutTimerOrRefresh)
{
    // A worker that cannot be started, and one that answers with five days.
    TFormWeather unstarted([](WeatherRequest) { throw std::runtime_error("no thread"); });
    EXPECT_EQ(unstarted.Widget().text_Wind->Text(), "获取失败,一分钟后重新获取!");
    EXPECT_TRUE(unstarted.RefreshTimer().Enabled());
    EXPECT_EQ(unstarted.RefreshTimer().Interval(), 60'000u);
    EXPECT_TRUE(unstarted.Widget().N1->Enabled());

    TFormWeather shortAnswer([](WeatherRequest request) {
        (*request.reports->LockFor(request.requestNumber))->assign(5, TInfo { "晴", "1℃~0℃", "微风" });
        PostMessage(request.window, kWeatherReadyMessage, static_cast<platform::WPARAM>(request.requestNumber), 1);
    });
    application.ProcessMessages();
    EXPECT_EQ(shortAnswer.Widget().text_Wind->Text(), "获取失败,一分钟后重新获取!");
    EXPECT_TRUE(shortAnswer.RefreshTimer().Enabled());
    EXPECT_TRUE(shortAnswer.Widget().N1->Enabled());
}

TEST_F(WidgetTest, TheStoredRefreshIntervalFollowsEverySuccess)
{
    std::string good = forecastDocument(std::vector<Day>(6, { "25℃~15℃", "晴", "微风" }));
    server.Route("/data/101010100.html", test::Reply::Ok(good));
    for (auto [index, milliseconds] : { std::pair { 0, 3'600'000u }, { 1, 7'200'000u }, { 2, 10'800'000u }, { 9, 10'800'000u } }) {
        writeSettings("updateInterval=" + std::to_string(index) + "\n");
        TFormWeather form;
        EXPECT_EQ(form.RefreshInterval(), milliseconds) << index;
        ASSERT_TRUE(WaitFor([&] { return form.WeatherSettled(); }, Pump::Queue)) << index;
        EXPECT_EQ(form.RefreshTimer().Interval(), milliseconds) << index;
        // The timer's own request, answered again: the interval stays.
        auto request = form.WeatherRequestNumber();
        backend->AdvanceClock(milliseconds);
        ASSERT_TRUE(WaitFor([&] { return form.WeatherRequestNumber() > request && form.Widget().N1->Enabled(); }, Pump::Queue)) << index;
        EXPECT_EQ(form.RefreshTimer().Interval(), milliseconds) << index;
    }
}

TEST_F(WidgetTest, OnlyLaterSuccessesReplayTheEntranceAndAFailureChangesNothing)
{
    server.Route("/data/101010100.html", test::Reply::Status(500, "Internal Server Error"));
    TFormWeather form;
    ASSERT_TRUE(WaitFor([&] { return form.WeatherSettled(); }, Pump::Queue));
    EXPECT_EQ(form.Widget().text_Wind->Text(), "获取失败,一分钟后重新获取!");
    EXPECT_EQ(form.RefreshTimer().Interval(), 60'000u);
    EXPECT_EQ(form.ReplayFlag(), 0) << "a failure does not count";
    endAnimations();
    ASSERT_FALSE(anyEntranceRunning(form));

    auto deliver = [&](std::uint32_t code) {
        *form.Reports()->Lock() = std::vector<TInfo>(6, TInfo { "晴", "20℃~10℃", "微风" });
        PostMessage(form.Handle(), code, form.WeatherRequestNumber(), 1);
        application.ProcessMessages();
    };
    deliver(2025);
    EXPECT_FALSE(anyEntranceRunning(form)) << "the first success does not replay";
    EXPECT_EQ(form.ReplayFlag(), 1);
    deliver(2026);
    EXPECT_FALSE(anyEntranceRunning(form));
    deliver(2025);
    EXPECT_TRUE(anyEntranceRunning(form)) << "later successes replay";
    EXPECT_EQ(form.Widget().text_Wind->Text(), "微风");
}

TEST_F(WidgetTest, StoredSizeAndOpacityAreKeptWithinSaneLimits)
{
    struct Case {
        const char* lines;
        float scale;
        float opacity;
    } cases[] = {
        { "winSize=5\nwinOpacity=7\n", 0.5f, 0.7f },
        { "winSize=20\n", 2.0f, 1.0f },
        { "winSize=0\nwinOpacity=0\n", 0.3f, 0.1f },
        { "winSize=-5\nwinOpacity=-3\n", 0.3f, 0.1f },
        { "winSize=1000\nwinOpacity=99\n", 2.0f, 1.0f },
        { "winSize=big\nwinOpacity=dim\n", 1.0f, 1.0f },
    };
    for (const auto& c : cases) {
        writeSettings(c.lines);
        TFormWeather form;
        EXPECT_FLOAT_EQ(form.SceneScale(), c.scale) << c.lines;
        EXPECT_FLOAT_EQ(form.Widget().Root1->Scale().X(), c.scale) << c.lines;
        EXPECT_FLOAT_EQ(form.Widget().Root1->Scale().Y(), c.scale) << c.lines;
        EXPECT_FLOAT_EQ(form.Widget().Root1->Opacity(), c.opacity) << c.lines;
    }
}

// The two soft shadows reach a few pixels past the panels (a shadow grows its
// object's area by 6 pixels); their faint tail is left out of the area checks.
constexpr unsigned shadowTail = 24;
// How far the texts' dark halo (a glow) reaches past their boxes.
constexpr int textHalo = 4;

// Every pixel with more than the shadows' faint tail lies inside the area, and
// nothing at all lies more than the shadow's growth beyond it.
void expectInkWithin(const TvxBitmap& picture, int left, int top, int right, int bottom, int growth = 8)
{
    InkBox strong = inkBox(picture, 0, 0, -1, -1, shadowTail);
    ASSERT_FALSE(strong.Empty());
    EXPECT_GE(strong.left, left);
    EXPECT_GE(strong.top, top);
    EXPECT_LE(strong.right, right);
    EXPECT_LE(strong.bottom, bottom);
    InkBox all = inkBox(picture);
    EXPECT_GE(all.left, left);
    EXPECT_GE(all.top, top);
    EXPECT_LE(all.right, right + growth);
    EXPECT_LE(all.bottom, bottom + growth);
}

class WidgetRenderTest : public WidgetTest {
protected:
    const TvxBitmap& render(TFormWeather& form)
    {
        RenderWidget(form, (temp.Path() / "widget.png").string());
        EXPECT_TRUE(std::filesystem::file_size(temp.Path() / "widget.png") > 0);
        return form.Scene().Buffer();
    }

    std::unique_ptr<DemoService> demo;
    void startDemo()
    {
        demo = std::make_unique<DemoService>(dataDirectory + "Nimbrell.db", kThisBuildStamp);
        State().Hosts = ServiceHosts { demo->HostPort(), demo->HostPort() };
    }
};

TEST_F(WidgetRenderTest, ThePanelHiddenPaintsOnlyTheTodayArea)
{
    startDemo();
    TFormWeather form;
    const TvxBitmap& picture = render(form);
    EXPECT_EQ(picture.Width(), 635);
    EXPECT_EQ(picture.Height(), 866);
    // The texts' dark halo reaches a few pixels past their boxes.
    expectInkWithin(picture, 11 - textHalo, 7, 237 + textHalo, 151 + textHalo);
    // The picture (left), the large temperature, the description rows and the
    // row of the place and the conditions now carry ink.
    EXPECT_FALSE(inkBox(picture, 30, 30, 150, 100).Empty());
    EXPECT_FALSE(inkBox(picture, 136, 69, 200, 101).Empty());
    EXPECT_FALSE(inkBox(picture, 11, 94, 237, 124).Empty());
    EXPECT_FALSE(inkBox(picture, 11, 128, 237, 151).Empty());
}

TEST_F(WidgetRenderTest, ABackgroundColourLaysTheFrameOnIt)
{
    startDemo();
    TFormWeather form;
    std::string path = (temp.Path() / "light.png").string();
    RenderWidget(form, path, 0xFFF4F4F2);
    const TvxBitmap& frame = form.Scene().Buffer();
    std::string bytes = nimbrell::testing::ReadFile(path);
    TvxDecodedImage picture;
    ASSERT_TRUE(TvxImageCodec::Decode({ reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size() }, picture));
    ASSERT_EQ(picture.width, frame.Width());
    int blended = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t pixel = picture.pixels[std::size_t(y * picture.width + x)], over = frame.Pixel(x, y);
            ASSERT_EQ(pixel >> 24, 0xFFu) << x << "," << y << ": every pixel is opaque";
            // Each channel is the frame's (premultiplied) plus the colour where the frame lets it through.
            for (int shift : { 0, 8, 16 }) {
                int expected = int((over >> shift) & 0xFF) + (int((0xF4F4F2u >> shift) & 0xFF) * (255 - int(over >> 24)) + 127) / 255;
                ASSERT_NEAR(int((pixel >> shift) & 0xFF), std::min(expected, 255), 1) << x << "," << y;
            }
            blended += (over >> 24) != 0 && (over >> 24) != 255;
        }
    }
    EXPECT_GT(blended, 100) << "the halo's and the pictures' soft edges are blended";
    EXPECT_EQ(picture.pixels[std::size_t(600 * picture.width + 600)], 0xFFF4F4F2u) << "the desktop colour where nothing is painted";
}

TEST_F(WidgetRenderTest, AStoredOpenPanelRendersItsFiveRowsBelow)
{
    writeSettings("showMore=2\n");
    startDemo();
    TFormWeather form;
    EXPECT_TRUE(form.Widget().N3->Checked());
    const TvxBitmap& picture = render(form);
    expectInkWithin(picture, 11 - textHalo, 7, 237 + textHalo, 471);
    EXPECT_FALSE(inkBox(picture, 11, 151, 237, 471).Empty());
    for (int row = 1; row <= 5; ++row) {
        auto* layout = form.Widget().design->Find<TvxVisualObject>("Layout" + std::to_string(row));
        ASSERT_NE(layout, nullptr);
        TvxRect rect = layout->AbsoluteRect();
        EXPECT_FLOAT_EQ(rect.Top, 151.0f + 60.0f * float(row - 1)) << "day " << row + 1 << " in order, day 2 on top";
        int top = 151 + 60 * (row - 1);
        EXPECT_FALSE(inkBox(picture, 21, top, 130, top + 56).Empty()) << "the texts of day " << row + 1;
        EXPECT_FALSE(inkBox(picture, 149, top + 3, 229, top + 59).Empty()) << "the picture of day " << row + 1;
    }
}

TEST_F(WidgetRenderTest, HalfTheSizeHalvesTheAreasAboutTheWindowOrigin)
{
    writeSettings("showMore=2\nwinSize=5\n");
    startDemo();
    TFormWeather form;
    const TvxBitmap& picture = render(form);
    expectInkWithin(picture, 5 - textHalo / 2, 3, 119 + textHalo / 2, 236, 4);
    EXPECT_FALSE(inkBox(picture, 5, 76, 119, 236).Empty()) << "the panel at half size";
}

TEST_F(WidgetRenderTest, TwiceTheDensityDrawsTwiceThePixelsWithTheDensePictures)
{
    writeSettings("showMore=2\n");
    startDemo();
    TFormWeather form;
    TvxBitmap single;
    single.Assign(render(form));
    ASSERT_EQ(single.Width(), 635);
    EXPECT_EQ(form.Widget().Image1->Fill().Bitmap().Bitmap().Width(), 175);

    auto& native = static_cast<platform::HeadlessWindow&>(form.Native());
    native.SetDeviceScale(2);
    application.ProcessMessages();
    TvxBitmap& today = form.Widget().Image1->Fill().Bitmap().Bitmap();
    EXPECT_EQ(today.Width(), 350) << "the today picture from the dense set";
    EXPECT_EQ(form.Widget().dayImages[0]->Bitmap().Width(), 350) << "and the days' pictures";
    TvxBitmap dense;
    dense.Assign(render(form));
    ASSERT_EQ(dense.Width(), 1270);
    ASSERT_EQ(dense.Height(), 1732);
    EXPECT_EQ(form.Left(), 500) << "the window keeps its place in units";

    // The same frame with the 1x picture enlarged instead: the dense picture's
    // own detail makes the difference.
    const TvxImageList& list = *form.Widget().vxImageList1;
    int index = -1;
    for (int i = 0; i < list.Count() && index < 0; ++i) {
        TvxBitmap candidate;
        list.CopyImage(i, candidate, 2);
        if (candidate.Width() == today.Width() && std::equal(candidate.ConstBits(), candidate.ConstBits() + 350 * 240, today.ConstBits()))
            index = i;
    }
    ASSERT_GE(index, 0);
    list.CopyImage(index, today, 1);
    form.Widget().Image1->Fill().SetStyle(TvxBrushStyle::vgBrushNone);
    form.Widget().Image1->Fill().SetStyle(TvxBrushStyle::vgBrushBitmap);
    const TvxBitmap& enlarged = render(form);
    int differing = 0;
    for (int y = 2 * 4; y < 2 * 124; ++y) {
        for (int x = 2 * 8; x < 2 * 183; ++x) {
            std::uint32_t a = dense.Pixel(x, y), b = enlarged.Pixel(x, y);
            bool differs = false;
            for (int shift = 0; shift < 32; shift += 8)
                differs = differs || std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 8;
            differing += differs;
        }
    }
    EXPECT_GT(differing, 2000) << "pixels of the picture area that the dense picture changes";

    // Back on a screen of scale 1: the 1x pictures and the 1x frame as before.
    native.SetDeviceScale(1);
    application.ProcessMessages();
    EXPECT_EQ(form.Widget().Image1->Fill().Bitmap().Bitmap().Width(), 175);
    const TvxBitmap& again = render(form);
    ASSERT_EQ(again.Width(), 635);
    EXPECT_TRUE(std::equal(again.ConstBits(), again.ConstBits() + 635 * 866, single.ConstBits()));
}

TEST_F(WidgetTest, PanelModesFollowTheMouseAndTheMenu)
{
    server.Route("/data/101010100.html", test::Reply::Ok("").Stall());
    struct Case {
        const char* mode;
        bool shownByEntering;
        bool shownByDoubleClick;
    } cases[] = { { "0", true, true }, { "1", false, true }, { "3", false, false }, { "7", false, false } };
    for (const auto& c : cases) {
        writeSettings(std::string("showMore=") + c.mode + "\n");
        TFormWeather form;
        TvxRectangle& panel = *form.Widget().RectangleMore;
        post(form, platform::WM_MOUSEMOVE, 50, 50);
        EXPECT_EQ(panel.Visible(), c.shownByEntering) << c.mode;
        post(form, platform::WM_MOUSELEAVE);
        EXPECT_FALSE(panel.Visible()) << c.mode;
        post(form, platform::WM_LBUTTONDBLCLK, 50, 50, platform::MK_LBUTTON);
        post(form, platform::WM_LBUTTONUP, 50, 50);
        EXPECT_EQ(panel.Visible(), c.shownByDoubleClick) << c.mode;
        post(form, platform::WM_MOUSELEAVE);
        EXPECT_FALSE(panel.Visible()) << c.mode;
    }

    writeSettings("showMore=2\n");
    TFormWeather held;
    TvxRectangle& panel = *held.Widget().RectangleMore;
    EXPECT_TRUE(panel.Visible());
    auto* slide = held.Widget().design->Find<TvxAnimation>("FloatAnimation7");
    EXPECT_TRUE(slide->Running()) << "the panel slides down each time it shows";
    post(held, platform::WM_MOUSEMOVE, 50, 50);
    post(held, platform::WM_MOUSELEAVE);
    EXPECT_TRUE(panel.Visible()) << "N3 holds it open";
    held.Widget().N3->OnClick();
    EXPECT_FALSE(panel.Visible());
    EXPECT_FALSE(held.Widget().N3->Checked());
    post(held, platform::WM_MOUSEMOVE, 50, 50);
    EXPECT_FALSE(panel.Visible()) << "from then on only N3 shows it";
}

TEST_F(WidgetTest, LeftDragsRightOpensTheMenuPinAndPassThrough)
{
    server.Route("/data/101010100.html", test::Reply::Ok("").Stall());
    TFormWeather form;
    auto& native = static_cast<platform::HeadlessWindow&>(form.Native());
    const WidgetScene& widget = form.Widget();

    post(form, platform::WM_LBUTTONDOWN, 60, 60, platform::MK_LBUTTON);
    EXPECT_TRUE(form.Scene().Dragging()) << "a left press on the widget drags the window";
    post(form, platform::WM_MOUSEMOVE, 70, 65, platform::MK_LBUTTON);
    post(form, platform::WM_LBUTTONUP, 70, 65);
    EXPECT_EQ(form.Left(), 510);
    EXPECT_EQ(form.Top(), 305);

    post(form, platform::WM_RBUTTONDOWN, 60, 60, platform::MK_RBUTTON);
    EXPECT_TRUE(widget.Root1->HitTest());
    ASSERT_EQ(backend->Popups().size(), 1u);
    EXPECT_EQ(backend->Popups()[0].at, (platform::ScreenPoint { 570, 365 }));
    choose(backend->Popups()[0], 3); // 嵌入桌面
    EXPECT_TRUE(widget.N4->Checked());

    post(form, platform::WM_LBUTTONDOWN, 60, 60, platform::MK_LBUTTON);
    EXPECT_FALSE(form.Scene().Dragging()) << "pinned: the press goes to the root";
    post(form, platform::WM_LBUTTONUP, 60, 60);
    post(form, platform::WM_RBUTTONDOWN, 60, 60, platform::MK_RBUTTON);
    ASSERT_EQ(backend->Popups().size(), 2u) << "a right click still opens the menu";
    EXPECT_TRUE(backend->Popups()[1].entries[3].checked);
    choose(backend->Popups()[1], 3);
    post(form, platform::WM_LBUTTONDOWN, 60, 60, platform::MK_LBUTTON);
    EXPECT_TRUE(form.Scene().Dragging()) << "unpinned: dragging again";
    post(form, platform::WM_LBUTTONUP, 60, 60);

    // Pass-through from the widget's menu, and back from the tray icon's.
    choose(backend->Popups()[1], 4);
    EXPECT_TRUE(widget.N9->Checked());
    EXPECT_TRUE(native.MousePassThrough());
    ASSERT_EQ(backend->TrayIcons().size(), 1u);
    const auto& tray = *backend->TrayIcons()[0];
    EXPECT_EQ(tray.tip, "Nimbrell - 桌面天气预报");
    EXPECT_GT(tray.pictureBytes, 0u);
    EXPECT_TRUE(tray.menu[4].checked) << "the tray's menu follows the check marks";
    PostMessage(tray.target, platform::TrayIconMessage, 0, platform::WM_RBUTTONUP);
    application.ProcessMessages();
    EXPECT_EQ(native.RaiseCount(), 1);
    ASSERT_EQ(backend->Popups().size(), 3u);
    choose(backend->Popups()[2], 4);
    EXPECT_FALSE(widget.N9->Checked());
    EXPECT_FALSE(native.MousePassThrough());
    PostMessage(tray.target, platform::TrayIconMessage, 0, platform::WM_LBUTTONUP);
    application.ProcessMessages();
    EXPECT_EQ(backend->Popups().size(), 3u) << "other actions on the icon do nothing";

    application.SetMainWindow(form.Handle());
    choose(backend->Popups()[2], 8); // 退出
    EXPECT_TRUE(form.IsClosed());
    EXPECT_TRUE(application.Terminated());
    EXPECT_TRUE(backend->TrayIcons().size() == 1u) << "the icon goes with the window object";
}

TEST_F(WidgetTest, PassThroughIsOfferedOnlyWhileTheTrayIconIsDocked)
{
    server.Route("/data/101010100.html", test::Reply::Ok("").Stall());
    backend->SetTraysDocked(false);
    TFormWeather form;
    auto& native = static_cast<platform::HeadlessWindow&>(form.Native());
    const WidgetScene& widget = form.Widget();
    constexpr int passThroughIndex = 4;
    EXPECT_FALSE(widget.N9->Enabled()) << "no icon yet";
    application.ProcessMessages();
    ASSERT_EQ(backend->TrayIcons().size(), 1u);
    const auto& tray = *backend->TrayIcons()[0];

    struct Step {
        const char* what;
        bool docked;
        bool offered;
        bool before; // pass-through before the item is chosen, and after
        bool after;
    };
    // Choosing the item toggles it only when offered; the tray going away turns it off.
    for (const Step& step : { Step { "no tray", false, false, false, false }, Step { "docked", true, true, false, true },
             Step { "the tray goes", false, false, false, false }, Step { "a tray again", true, true, false, true },
             Step { "chosen again", true, true, true, false } }) {
        SCOPED_TRACE(step.what);
        backend->SetTraysDocked(step.docked);
        application.ProcessMessages();
        EXPECT_EQ(widget.N9->Enabled(), step.offered);
        EXPECT_EQ(tray.menu[passThroughIndex].enabled, step.offered) << "the tray's menu shows the same";
        EXPECT_EQ(native.MousePassThrough(), step.before);
        widget.PopupMenu1->Choose(passThroughIndex);
        application.ProcessMessages();
        EXPECT_EQ(native.MousePassThrough(), step.after);
        EXPECT_EQ(widget.N9->Checked(), step.after);
    }
}

TEST_F(WidgetTest, ALaterStartBringsTheWidgetBackOnTheScreenWithItsPanelAndTheMouse)
{
    server.Route("/data/101010100.html", test::Reply::Ok("").Stall());
    writeSettings("showMore=3\nformLeft=200\nformTop=100\n");
    TFormWeather form;
    auto& native = static_cast<platform::HeadlessWindow&>(form.Native());
    const WidgetScene& widget = form.Widget();
    application.ProcessMessages();
    widget.PopupMenu1->Choose(4);
    application.ProcessMessages();
    ASSERT_TRUE(native.MousePassThrough());
    form.Move(5000, -2000);
    ASSERT_FALSE(widget.RectangleMore->Visible());

    PostMessage(form.Handle(), TFormWeather::kComeBackMessage, 0, 0);
    application.ProcessMessages();
    EXPECT_FALSE(native.MousePassThrough());
    EXPECT_FALSE(widget.N9->Checked());
    EXPECT_TRUE(widget.RectangleMore->Visible());
    EXPECT_TRUE(native.IsVisible());
    EXPECT_EQ(native.RaiseCount(), 1);
    // Today's picture and texts on the 1920 × 1080 work area.
    EXPECT_GE(form.Left() + 11, 0);
    EXPECT_LE(form.Left() + 237, 1920);
    EXPECT_GE(form.Top() + 30, 0);
    EXPECT_LE(form.Top() + 124, 1080);
}

TEST_F(WidgetTest, AnOpenMenuShowsTheStateAsItChanges)
{
    std::vector<WeatherRequest> started;
    TFormWeather form([&](WeatherRequest request) { started.push_back(std::move(request)); });
    post(form, platform::WM_RBUTTONDOWN, 60, 60, platform::MK_RBUTTON);
    ASSERT_EQ(backend->Popups().size(), 1u);
    auto shown = [&](int index) { return backend->Popups()[0].entries.at(static_cast<std::size_t>(index)); };
    EXPECT_FALSE(shown(0).enabled) << "刷新 waits while the fetch runs";

    PostMessage(form.Handle(), kWeatherFailedMessage, static_cast<platform::WPARAM>(started.back().requestNumber), 1);
    application.ProcessMessages();
    EXPECT_TRUE(shown(0).enabled) << "the failure enables 刷新 in the open menu";
    choose(backend->Popups()[0], 0);
    EXPECT_EQ(started.size(), 2u);
    EXPECT_FALSE(shown(0).enabled) << "a new fetch disables it again";

    form.Widget().N4->OnClick();
    EXPECT_TRUE(shown(3).checked) << "the pin's mark";
    ASSERT_EQ(backend->Popups().size(), 1u) << "changes update the open menu, they open none";
}

TEST_F(WidgetTest, ALetterCityCodeFailsVisiblyAndOnlyTheLatestRequestIsShown)
{
    writeSettings("cityCode=abc/../?x y\n");
    server.Route("/data/101010100.html", test::Reply::Ok(forecastDocument(std::vector<Day>(6, { "1℃~0℃", "晴", "微风" }))));
    TFormWeather form;
    ASSERT_TRUE(WaitFor([&] { return form.WeatherSettled(); }, Pump::Queue));
    EXPECT_EQ(form.Widget().text_Wind->Text(), "获取失败,一分钟后重新获取!");
    ASSERT_FALSE(server.Requests().empty());
    EXPECT_EQ(server.Requests()[0].target.find(' '), std::string::npos) << server.Requests()[0].target;

    // Two requests running at once: only the latest one's reports are taken.
    State().CityCode = "101010100";
    form.getWeather();
    form.getWeather();
    ASSERT_TRUE(WaitFor([&] { return form.Widget().text_Wind->Text() == "微风"; }, Pump::Queue));
    EXPECT_EQ(form.Widget().text_wenDu->Text(), "1℃~");
    EXPECT_EQ(form.Reports()->Lock()->size(), 6u);
    PostMessage(form.Handle(), kWeatherFailedMessage, form.WeatherRequestNumber() - 1, 1);
    application.ProcessMessages();
    EXPECT_EQ(form.Widget().text_Wind->Text(), "微风") << "an older request's answer is dropped";
}

TEST_F(WidgetTest, AnOfferOpensOneModalUpdateWindowWhileTheWeatherGoesOn)
{
    // The answer comes only once the update window is open.
    std::string forecast = forecastDocument(std::vector<Day>(6, { "25℃~15℃", "晴", "微风" }));
    server.Route("/data/101010100.html", test::Reply::Head(200, "OK", { "Content-Length: " + std::to_string(forecast.size()) }).Delay(std::chrono::milliseconds(200)).Send(forecast));
    TFormWeather form;
    State().Offer->Store(UpdateOffer { server.Url("/n.deb"), "n.deb", "新版本", "" });
    bool settledWhileOpen = false;
    form.OnUpdateWindowOpened = [&](TFormUpdate& window) {
        EXPECT_EQ(window.Text5->Text(), "新版本");
        // Runs inside the window's modal loop once it has started.
        window.SpeedButton2->OnClick.Set([&](TvxObject*) {
            PostMessage(form.Handle(), kUpdateOfferedMessage, 0, 1);
            settledWhileOpen = WaitFor([&] { return form.WeatherSettled(); }, Pump::Queue);
            EXPECT_EQ(form.UpdateWindow(), &window) << "a second offer opens no second window";
            window.Scene().CloseForm();
        });
        for (std::uint32_t code : { platform::WM_MOUSEMOVE, platform::WM_LBUTTONDOWN, platform::WM_LBUTTONUP })
            PostMessage(window.Handle(), code, code == platform::WM_LBUTTONDOWN ? platform::MK_LBUTTON : 0, MakePointParam(473, 224));
    };
    PostMessage(form.Handle(), kUpdateOfferedMessage, 0, 1);
    application.ProcessMessages();
    EXPECT_TRUE(settledWhileOpen) << "the weather worker's answer arrived while the window was open";
    EXPECT_EQ(form.UpdateOffersReceived(), 2);
    EXPECT_EQ(form.UpdateWindow(), nullptr) << "freed when it closes";
}
