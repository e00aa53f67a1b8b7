// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a real X desktop with a compositor, driven with the mouse
// and the keyboard as a user would: the demo service fills it.

#include "data/SettingsFile.h"
#include "platform/Application.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/Desktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>

using namespace nimbrell;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

// Anything clearly unlike the desktop's grey inside the rectangle.
bool inked(const Screenshot& screen, int left, int top, int right, int bottom)
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (!Near(screen.At(x, y), DesktopRoot, 40))
                return true;
        }
    }
    return false;
}

// Takes screenshots until one shows what ready expects or the time is up.
bool screenShows(const std::function<bool(const Screenshot&)>& ready, std::chrono::milliseconds limit = 10s)
{
    bool shown = false;
    ScreenWhen([&](const Screenshot& s) { return shown = ready(s); }, limit);
    return shown;
}

// Waits until the screen around (x, y) has stopped changing: the entrance
// animations move the widget's picture under a click point, and a slow
// (sanitized, loaded) run could otherwise click where the window is still
// transparent, so that the click reaches the desktop instead.
bool restsUnder(int x, int y)
{
    auto same = [x, y](const Screenshot& a, const Screenshot& b) {
        for (int dy = -10; dy <= 10; ++dy) {
            for (int dx = -10; dx <= 10; ++dx) {
                if (!Near(a.At(x + dx, y + dy), b.At(x + dx, y + dy), 2))
                    return false;
            }
        }
        return true;
    };
    std::optional<Screenshot> previous;
    int unchanged = 0;
    return screenShows([&](const Screenshot& s) {
        unchanged = previous && same(*previous, s) ? unchanged + 1 : 0;
        previous = s;
        return unchanged >= 3;
    });
}

// A screen point as xdotool takes it.
std::string at(int x, int y)
{
    return std::to_string(x) + " " + std::to_string(y);
}

void xdotool(const std::string& arguments)
{
    RunCommand("xdotool " + arguments);
}

// The widget's painted areas on the screen, for a window at (left, top).
struct WidgetOnScreen {
    int left, top;
    bool TodayShown(const Screenshot& s) const
    {
        return inked(s, left + 30, top + 30, left + 150, top + 100) && inked(s, left + 144, top + 69, left + 200, top + 101)
            && inked(s, left + 11, top + 94, left + 237, top + 124);
    }
    bool PanelShown(const Screenshot& s) const { return inked(s, left + 21, top + 160, left + 130, top + 464); }
    bool NothingElse(const Screenshot& s) const { return !inked(s, left + 260, top, left + 600, top + 400); }
};

// Steps down the widget's menu to an item. Without a tray 鼠标穿透 is disabled,
// and the keys pass over it.
enum MenuStep {
    PinStep = 3,      // 嵌入桌面
    SettingsStep = 4, // 软件设置
    ExitStep = 5,     // 退出
};

class WidgetDesktopTest : public ::testing::Test {
protected:
    TempDirectory temp;

    std::unique_ptr<ChildProgram> start(const std::vector<std::string>& arguments = { "--demo" })
    {
        std::string folder = temp.Path().string();
        auto program = std::make_unique<ChildProgram>(NIMBRELL_BINARY, arguments,
            [folder] {
                unsetenv("TEMP");
                setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);
                // The settings and the autostart entry go here, not in the user's folder.
                setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
            });
        EXPECT_TRUE(program->WaitFor("runs until closed")) << program->Output();
        return program;
    }

    // The settings file, once a save of the settings window has written it
    // (the city code is written by a save only).
    SettingsFile savedSettings()
    {
        SettingsFile settings(temp / "config/nimbrell/historyLog.ini");
        WaitFor([&] { return !settings.ReadString("CONFIG", "cityCode", "").empty(); }, 10s);
        return settings;
    }

    // Opens the widget's menu with a right click at (x, y) and picks the item
    // that many steps down (separators and hidden items are skipped).
    void pickFromMenu(int x, int y, int steps)
    {
        ASSERT_TRUE(restsUnder(x, y)) << "the widget is at rest at (" << x << ", " << y << ")";
        xdotool("mousemove " + at(x, y) + " click 3");
        ASSERT_TRUE(screenShows([&](const Screenshot& s) { return Near(s.At(x + 30, y + 12), Rgb { 255, 255, 255 }, 40); }))
            << "the menu opens at the mouse";
        std::string keys;
        for (int i = 0; i < steps; ++i)
            keys += " Down";
        xdotool("key --delay 60" + keys + " Return");
    }
};

}

TEST_F(WidgetDesktopTest, AppearsHoversDragsPinsAndExitsFromItsMenu)
{
    auto program = start();
    WidgetOnScreen at500 { 500, 300 };
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return at500.TodayShown(s); })) << "picture and texts at (500, 300)";
    EXPECT_TRUE(at500.NothingElse(Screenshot()));
    EXPECT_FALSE(at500.PanelShown(Screenshot()));

    xdotool("mousemove 560 360");
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return at500.PanelShown(s); })) << "hovering shows the panel";
    xdotool("mousemove 1200 1000");
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return !at500.PanelShown(s); })) << "leaving hides it";

    xdotool("mousemove 560 360 mousedown 1 mousemove 600 380 mousemove 640 400 mousemove 660 420 mouseup 1");
    WidgetOnScreen at600 { 600, 360 };
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return at600.TodayShown(s) && !inked(s, 511, 307, 540, 350); }))
        << "a left drag moves the widget";

    pickFromMenu(660, 420, PinStep);
    xdotool("mousemove 660 420 mousedown 1 mousemove 700 440 mousemove 760 470 mouseup 1");
    pickFromMenu(760, 470, ExitStep); // the menu still opens while pinned
    int status = program->Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    SettingsFile settings(temp / "config/nimbrell/historyLog.ini");
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "600") << "pinned, it did not move";
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "360");
}

namespace {

// Six days of the classic document.
std::string forecastDocument()
{
    std::string body = "{\"weatherinfo\":{\"city\":\"北京\"";
    for (int day = 1; day <= 6; ++day) {
        std::string n = std::to_string(day);
        body += ",\"temp" + n + "\":\"2" + n + "℃~1" + n + "℃\",\"weather" + n + "\":\"晴\",\"wind" + n + "\":\"北风3-4级\"";
    }
    return body + "}}";
}

// The darkest pixel of the menu's first row, for a menu opened at (x, y): the
// theme draws an insensitive item's text light grey, a sensitive one's near black.
int firstRowInk(const Screenshot& s, int x, int y)
{
    int darkest = 255;
    for (int row = y + 2; row < y + 28; ++row) {
        for (int column = x + 4; column < x + 90; ++column) {
            Rgb c = s.At(column, row);
            darkest = std::min(darkest, (c.r + c.g + c.b) / 3);
        }
    }
    return darkest;
}

}

TEST_F(WidgetDesktopTest, AnOpenMenuFollowsTheFetchAndAMenuClosedOutsideHidesThePanel)
{
    // The first answer waits until the menu is open.
    test::LoopbackHttpServer weather;
    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    std::atomic<int> asked { 0 };
    weather.SetHandler([answered, &asked](const test::ReceivedRequest&) {
        if (asked++ == 0)
            answered.wait();
        return test::Reply::Ok(forecastDocument());
    });
    // Whatever happens below, the held answer goes before the server stops.
    std::shared_ptr<void> release(nullptr, [&answer](void*) {
        try {
            answer.set_value();
        } catch (const std::future_error&) {
        }
    });
    auto program = start({ "--weather-host", weather.HostPort() });
    // Clear of where the menu opens, so that the menu is not taken for the panel.
    auto panelShown = [](const Screenshot& s) { return inked(s, 521, 450, 555, 740); };
    // Inked first: an empty desktop is at rest too.
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return inked(s, 575, 385, 585, 395); }) && restsUnder(580, 390))
        << "the picture comes to rest under the mouse";
    ASSERT_EQ(asked.load(), 1);

    xdotool("mousemove 580 390");
    ASSERT_TRUE(screenShows(panelShown)) << "hovering shows the panel";
    xdotool("click 3");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return Near(s.At(680, 402), Rgb { 255, 255, 255 }, 40); })) << "the menu opens";
    int disabled = firstRowInk(Screenshot(), 580, 390);
    EXPECT_GT(disabled, 100) << "刷新 is greyed while the fetch runs";

    release.reset();
    EXPECT_TRUE(screenShows([](const Screenshot& s) { return firstRowInk(s, 580, 390) < 80; })) << "the open menu enables 刷新 when the answer is in";
    EXPECT_TRUE(panelShown(Screenshot())) << "the open menu keeps the panel";

    xdotool("mousemove 1200 1000 key Escape");
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return !panelShown(s); })) << "the menu closed outside the widget: the panel hides";

    // Closed over the widget, the panel stays; 刷新 chosen from the keys asks again.
    xdotool("mousemove 580 390");
    ASSERT_TRUE(screenShows(panelShown));
    xdotool("click 3");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return firstRowInk(s, 580, 390) < 80; }));
    xdotool("key --delay 60 Down Return");
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (asked.load() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(asked.load(), 2) << "刷新 was chosen";
    EXPECT_TRUE(screenShows([](const Screenshot& s) { return !Near(s.At(680, 402), Rgb { 255, 255, 255 }, 40); }))
        << "the menu closes";
    EXPECT_TRUE(panelShown(Screenshot())) << "closed over the widget, the panel stays";

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

namespace {

// A picture the program drew with --render against the server, laid over the
// desktop's grey as the compositor lays the window: rgb bytes, row by row.
std::vector<unsigned char> renderedOverDesktop(const std::filesystem::path& folder, const std::string& weatherHost)
{
    std::string picture = (folder / "widget.png").string();
    std::string command = "env -u DISPLAY -u TEMP XDG_CACHE_HOME=" + (folder / "cache").string() + " XDG_CONFIG_HOME=" + (folder / "config").string()
        + " " NIMBRELL_BINARY " --weather-host " + weatherHost + " --render " + picture + " 2> /dev/null && convert " + picture
        + " -background '#808080' -flatten -depth 8 rgb:-";
    std::vector<unsigned char> bytes;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        unsigned char buffer[65536];
        std::size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
        pclose(pipe);
    }
    return bytes;
}

// Whether the screen shows the rendered widget, placed at (left, top), inside the
// rectangle (window coordinates).
bool showsAsRendered(const Screenshot& s, const std::vector<unsigned char>& rendered, int left, int top, int x0, int y0, int x1, int y1)
{
    constexpr int width = 635;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            std::size_t at = (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 3;
            if (at + 2 >= rendered.size() || !Near(s.At(left + x, top + y), Rgb { rendered[at], rendered[at + 1], rendered[at + 2] }, 8))
                return false;
        }
    }
    return true;
}

}

// The notice's line of the today panel with its halo, where the wind shows once the
// weather is in.
constexpr int NoticeLeft = 0, NoticeTop = 104, NoticeRight = 240, NoticeBottom = 127;

TEST_F(WidgetDesktopTest, AnAnswerWithoutSixDaysShowsTheFailureAndTheRetryAMinuteLaterBringsTheWeather)
{
    using Clock = std::chrono::steady_clock;
    test::LoopbackHttpServer weather;
    std::mutex guard;
    std::vector<Clock::time_point> asked;
    weather.SetHandler([&](const test::ReceivedRequest&) {
        std::lock_guard lock(guard);
        asked.push_back(Clock::now());
        return test::Reply::Ok(asked.size() == 1 ? "{\"weatherinfo\": 5}" : forecastDocument());
    });
    auto requests = [&] {
        std::lock_guard lock(guard);
        return asked;
    };
    // What the program itself draws for each answer.
    test::LoopbackHttpServer failing, answering;
    failing.Route("/data/101010100.html", test::Reply::Ok("{\"weatherinfo\": 5}"));
    answering.Route("/data/101010100.html", test::Reply::Ok(forecastDocument()));
    auto failure = renderedOverDesktop(temp / "failure", failing.HostPort());
    auto weatherIn = renderedOverDesktop(temp / "weather", answering.HostPort());
    ASSERT_EQ(failure.size(), 635u * 866u * 3u);
    ASSERT_EQ(weatherIn.size(), failure.size());
    ASSERT_NE(failure, weatherIn);

    xdotool("mousemove 1200 1000");
    auto program = start({ "--weather-host", weather.HostPort() });
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return showsAsRendered(s, failure, 500, 300, NoticeLeft, NoticeTop, NoticeRight, NoticeBottom); }))
        << "the failure notice, whole";
    ASSERT_EQ(requests().size(), 1u);
    std::string kept = temp / "cache/nimbrell/keptForecast.txt";
    EXPECT_FALSE(std::filesystem::exists(kept)) << "a failed answer is not kept";

    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return showsAsRendered(s, weatherIn, 500, 300, NoticeLeft, NoticeTop, NoticeRight, NoticeBottom); }, 75s))
        << "the weather after the retry";
    EXPECT_TRUE(std::filesystem::exists(kept)) << "the good answer is kept";
    auto times = requests();
    ASSERT_EQ(times.size(), 2u);
    auto retry = std::chrono::duration_cast<std::chrono::milliseconds>(times[1] - times[0]);
    EXPECT_GE(retry, 59s) << "retried after a minute";
    EXPECT_LE(Clock::now() - times[0], 70s) << "the weather within 70 s of the failed answer";
    std::printf("retried %lld ms after the failed answer\n", static_cast<long long>(retry.count()));

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

namespace {

// The settings window, centred on the 1280 × 1024 screen: its frame's inner
// panel starts at (463, 293), and the lists' rows are 19 pixels high.
constexpr int ConfigLeft = (Screenshot::Width - 555) / 2 + 101, ConfigTop = (Screenshot::Height - 517) / 2 + 40;
constexpr int ProvinceX = ConfigLeft + 60, CityX = ConfigLeft + 150;
constexpr int FirstRowY = ConfigTop + 255, RowHeight = 19;
constexpr int SaveX = ConfigLeft + 219, SaveY = ConfigTop + 366;
// The mode and interval lists.
constexpr int IntervalX = ConfigLeft + 100, IntervalY = ConfigTop + 163;
constexpr int ModeY = ConfigTop + 133, Interval120Y = ConfigTop + 198;
constexpr int ScaleBoxX = ConfigLeft + 190, ScalePlusX = ConfigLeft + 291, ScaleY = ConfigTop + 194;
constexpr int CancelX = ConfigLeft + 276;

// The settings window's lists show their selected row as a bar of this colour.
bool selectedRow(const Screenshot& s, int left, int right, int y)
{
    int run = 0;
    for (int x = left; x < right; ++x) {
        run = Near(s.At(x, y), Rgb { 141, 98, 56 }, 10) ? run + 1 : 0;
        if (run >= 60)
            return true;
    }
    return false;
}

// A dropped-down list's selected row is wider than anything else of that colour.
bool listDropped(const Screenshot& s)
{
    for (int y = ConfigTop + 144; y < ConfigTop + 240; ++y) {
        if (selectedRow(s, ConfigLeft + 30, ConfigLeft + 170, y))
            return true;
    }
    return false;
}

// The lowest row with anything painted on the desktop inside the rectangle, or -1.
int lowestInk(const Screenshot& s, int left, int top, int right, int bottom)
{
    for (int y = bottom - 1; y >= top; --y) {
        if (inked(s, left, y, right, y + 1))
            return y;
    }
    return -1;
}

// Light text on the lists' dark ground inside the rectangle.
bool lettered(const Screenshot& s, int left, int top, int right, int bottom)
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            Rgb c = s.At(x, y);
            if (c.r > 0xC0 && c.g > 0xC0 && c.b > 0xC0)
                return true;
        }
    }
    return false;
}

}

TEST_F(WidgetDesktopTest, PicksACityAndAnIntervalInTheSettingsWindowAndSavesThem)
{
    auto program = start();
    WidgetOnScreen at500 { 500, 300 };
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return at500.TodayShown(s); }));

    pickFromMenu(560, 360, SettingsStep);
    ASSERT_TRUE(screenShows([&](const Screenshot& s) {
        return Near(s.At(ConfigLeft + 100, ConfigTop + 5), Rgb { 0xE0, 0xE0, 0xE0 }, 40)
            && lettered(s, ConfigLeft + 30, FirstRowY - 8, ConfigLeft + 110, FirstRowY + 8);
    })) << "the settings window opens with the provinces";
    auto cityRows = [](const Screenshot& s) { return lettered(s, CityX - 40, FirstRowY - 8, CityX + 30, FirstRowY + 4 * RowHeight); };
    EXPECT_FALSE(cityRows(Screenshot())) << "no city before a province is picked";

    // Dragging down the provinces with the button held refills the cities for
    // each: the first city's name changes with every row passed.
    auto firstCity = [](const Screenshot& s) {
        std::vector<Rgb> pixels;
        for (int y = FirstRowY - 8; y < FirstRowY + 8; ++y) {
            for (int x = CityX - 40; x < CityX + 30; ++x)
                pixels.push_back(s.At(x, y));
        }
        return pixels;
    };
    auto same = [](const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), [](Rgb p, Rgb q) { return Near(p, q, 0); });
    };
    xdotool("mousemove " + at(ProvinceX, FirstRowY) + " mousedown 1");
    ASSERT_TRUE(screenShows(cityRows));
    std::vector<Rgb> shown = firstCity(Screenshot());
    for (int row = 1; row < 4; ++row) {
        xdotool("mousemove " + at(ProvinceX, FirstRowY + row * RowHeight));
        std::vector<Rgb> before = shown;
        EXPECT_TRUE(screenShows([&](const Screenshot& s) {
            shown = firstCity(s);
            return !same(shown, before);
        })) << "the cities of row "
            << row;
    }
    xdotool("mouseup 1");

    // 辽宁, then one key down to 黑龙江; then its first city, 哈尔滨.
    xdotool("mousemove " + at(ProvinceX, FirstRowY + 4 * RowHeight) + " click 1");
    ASSERT_TRUE(screenShows(cityRows)) << "a province fills the city list";
    shown = firstCity(Screenshot());
    xdotool("key Down");
    std::vector<Rgb> before = shown;
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return !same(firstCity(s), before); })) << "the next province's cities";
    xdotool("mousemove " + at(CityX, FirstRowY) + " click 1");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return selectedRow(s, CityX - 40, CityX + 60, FirstRowY - 7); })) << "the first city is picked";

    // 间隔120 from the dropped-down list.
    xdotool("mousemove " + at(IntervalX, IntervalY) + " click 1");
    ASSERT_TRUE(screenShows(listDropped)) << "the interval list drops down";
    xdotool("mousemove " + at(IntervalX, Interval120Y) + " click 1");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return !listDropped(s); })) << "a pick closes it";
    xdotool("mousemove " + at(SaveX, SaveY) + " click 1");

    SettingsFile settings = savedSettings();
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "哈尔滨");
    EXPECT_EQ(settings.ReadString("CONFIG", "cityCode", ""), "101050101");
    EXPECT_EQ(settings.ReadString("CONFIG", "updateInterval", ""), "1");

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(WidgetDesktopTest, SettingsPreviewTheScaleAndTheModeOnTheWidgetAndSaveTheTypedScale)
{
    auto program = start();
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return WidgetOnScreen { 500, 300 }.TodayShown(s); }));
    // Out of the settings window's way, to (50, 50).
    xdotool("mousemove 560 360 mousedown 1 mousemove 400 300 mousemove 200 150 mousemove 110 110 mouseup 1");
    WidgetOnScreen widget { 50, 50 };
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return widget.TodayShown(s); }));
    xdotool("mousemove 700 900");
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return !widget.PanelShown(s); }));
    auto todayBottom = [&](const Screenshot& s) { return lowestInk(s, 50, 50, 330, 280); };
    int bottom = todayBottom(Screenshot());
    ASSERT_GT(bottom, 100);

    auto settingsShown = [](const Screenshot& s) { return Near(s.At(ConfigLeft + 100, ConfigTop + 5), Rgb { 0xE0, 0xE0, 0xE0 }, 40); };
    pickFromMenu(110, 110, SettingsStep);
    ASSERT_TRUE(screenShows(settingsShown));
    xdotool("mousemove " + at(ScalePlusX, ScaleY) + " click 1");
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return todayBottom(s) >= bottom + 8; })) << "the widget grows at once";
    xdotool("mousemove " + at(CancelX, SaveY) + " click 1");
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return !settingsShown(s); })) << "cancel closes the window";
    EXPECT_GE(todayBottom(Screenshot()), bottom + 8) << "and the preview stays";

    pickFromMenu(110, 110, SettingsStep);
    ASSERT_TRUE(screenShows(settingsShown));
    // 永远: the panel shows at once.
    xdotool("mousemove " + at(IntervalX, ModeY) + " click 1");
    ASSERT_TRUE(screenShows(listDropped));
    xdotool("key Escape");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return !listDropped(s); }));
    xdotool("key Down Down");
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return widget.PanelShown(s); })) << "mode 永远 shows the panel";
    // 25 typed over the scale: saving commits it as 20.
    xdotool("mousemove " + at(ScaleBoxX, ScaleY) + " click --repeat 2 1");
    xdotool("key ctrl+a type 25");
    xdotool("mousemove " + at(SaveX, SaveY) + " click 1");

    SettingsFile settings = savedSettings();
    EXPECT_EQ(settings.ReadString("CONFIG", "winSize", ""), "20");
    EXPECT_EQ(settings.ReadString("CONFIG", "showMore", ""), "2");
    for (const char* key : { "autoRun", "updateInterval", "winOpacity", "city" })
        EXPECT_NE(settings.ReadString("CONFIG", key, ""), "") << key;

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(WidgetDesktopTest, FindsAPlaceByPinyinInThePlaceBoxAndSavesIt)
{
    auto program = start();
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return WidgetOnScreen { 500, 300 }.TodayShown(s); }));
    auto settingsShown = [](const Screenshot& s) { return Near(s.At(ConfigLeft + 100, ConfigTop + 5), Rgb { 0xE0, 0xE0, 0xE0 }, 40); };
    // The place box, and the matches' list that opens above it over the place lists.
    constexpr int BoxX = ConfigLeft + 94, BoxY = ConfigTop + 366;
    // The rows just above the box, where the list of matches opens.
    auto aboveBox = [](const Screenshot& s) {
        std::vector<Rgb> pixels;
        for (int y = ConfigTop + 320; y < ConfigTop + 352; ++y) {
            for (int x = ConfigLeft + 30; x < ConfigLeft + 300; ++x)
                pixels.push_back(s.At(x, y));
        }
        return pixels;
    };
    auto changed = [](const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
        return !std::equal(a.begin(), a.end(), b.begin(), [](Rgb p, Rgb q) { return Near(p, q, 0); });
    };
    auto savedCode = [&](const std::string& code) {
        SettingsFile settings(temp / "config/nimbrell/historyLog.ini");
        WaitFor([&] { return settings.ReadString("CONFIG", "cityCode", "") == code; }, 10s);
        return settings;
    };

    // "lvliang" offers 吕梁: Enter takes it, 保存 saves it.
    pickFromMenu(560, 360, SettingsStep);
    ASSERT_TRUE(screenShows(settingsShown));
    xdotool("mousemove " + at(BoxX, BoxY) + " click 1");
    xdotool("key ctrl+a BackSpace");
    std::vector<Rgb> before = aboveBox(Screenshot());
    xdotool("type --delay 60 lvliang");
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return changed(aboveBox(s), before); })) << "the matches are offered";
    xdotool("key Return");
    xdotool("mousemove " + at(SaveX, SaveY) + " click 1");
    SettingsFile first = savedCode("101101100");
    EXPECT_EQ(first.ReadString("CONFIG", "cityCode", ""), "101101100");
    EXPECT_EQ(first.ReadString("CONFIG", "city", ""), "吕梁");
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return !settingsShown(s); }));

    // "heb", Enter, 保存: 哈尔滨.
    pickFromMenu(560, 360, SettingsStep);
    ASSERT_TRUE(screenShows(settingsShown));
    xdotool("mousemove " + at(BoxX, BoxY) + " click 1");
    xdotool("key ctrl+a BackSpace");
    before = aboveBox(Screenshot());
    xdotool("type --delay 60 heb");
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return changed(aboveBox(s), before); }));
    xdotool("key Return");
    xdotool("mousemove " + at(SaveX, SaveY) + " click 1");
    SettingsFile second = savedCode("101050101");
    EXPECT_EQ(second.ReadString("CONFIG", "cityCode", ""), "101050101");
    EXPECT_EQ(second.ReadString("CONFIG", "city", ""), "哈尔滨");
}

TEST_F(WidgetDesktopTest, SettingsOpenedAndCancelledLeaveTheAutostartEntryAlone)
{
    std::filesystem::create_directories(temp / "config/nimbrell");
    SettingsFile(temp / "config/nimbrell/historyLog.ini").WriteString("CONFIG", "autoRun", "0");
    std::string entry = temp / "config/autostart/NimbrellWeather.desktop";
    auto program = start();
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return WidgetOnScreen { 500, 300 }.TodayShown(s); }));

    auto settingsShown = [](const Screenshot& s) { return Near(s.At(ConfigLeft + 100, ConfigTop + 5), Rgb { 0xE0, 0xE0, 0xE0 }, 40); };
    pickFromMenu(560, 360, SettingsStep);
    ASSERT_TRUE(screenShows(settingsShown));
    EXPECT_FALSE(std::filesystem::exists(entry)) << "opening writes no entry";
    xdotool("mousemove " + at(CancelX, SaveY) + " click 1");
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return !settingsShown(s); })) << "cancel closes the window";
    EXPECT_FALSE(std::filesystem::exists(entry)) << "nor does cancelling";

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(WidgetDesktopTest, AnEarlierBuildsSettingsAreMovedAndTheWidgetOpensWhereTheyPutIt)
{
    std::string earlier = temp / "cache/NimbrellWeather";
    std::filesystem::create_directories(earlier);
    std::filesystem::permissions(earlier, std::filesystem::perms::owner_all);
    SettingsFile(earlier + "/historyLog.ini").WriteString("CONFIG", "formLeft", "50");
    SettingsFile(earlier + "/historyLog.ini").WriteString("CONFIG", "formTop", "60");
    auto program = start();
    WidgetOnScreen widget { 50, 60 };
    EXPECT_TRUE(screenShows([&](const Screenshot& s) { return widget.TodayShown(s); })) << "at the stored (50, 60)";
    EXPECT_FALSE(std::filesystem::exists(earlier + "/historyLog.ini"));

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    SettingsFile moved(temp / "config/nimbrell/historyLog.ini");
    EXPECT_EQ(moved.ReadString("CONFIG", "formLeft", ""), "50");
    EXPECT_EQ(moved.ReadString("CONFIG", "formTop", ""), "60");
}

namespace {

// The width and height of the first window whose title holds the text, if any.
std::optional<std::pair<int, int>> windowSize(const std::string& title)
{
    std::string command = "xdotool search --name '" + title + "' getwindowgeometry --shell %1 2> /dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    char line[256];
    int width = -1, height = -1;
    while (fgets(line, sizeof line, pipe)) {
        sscanf(line, "WIDTH=%d", &width);
        sscanf(line, "HEIGHT=%d", &height);
    }
    pclose(pipe);
    if (width < 0 || height < 0)
        return std::nullopt;
    return std::pair { width, height };
}

}

TEST_F(WidgetDesktopTest, AFailedUpdateCheckSaysSoAndACloseSignalStillEndsTheProgram)
{
    // An update document that cannot be read: nothing but its name.
    test::LoopbackHttpServer updates;
    updates.Route("/weather/updateInfo.html", test::Reply::Ok("{\"updateInfo\":{}}"));
    std::string folder = temp.Path().string();
    ChildProgram program(NIMBRELL_BINARY, { "--weather-host", "127.0.0.1:1", "--update-host", updates.HostPort() }, [folder] {
        unsetenv("TEMP");
        setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    });
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    std::optional<std::pair<int, int>> box;
    WaitFor([&] { return (box = windowSize("Nimbrell - ")).has_value(); }, 20s);
    ASSERT_TRUE(box) << "a message box opens";
    EXPECT_GT(box->first, 200) << "wide enough for what failed and where, not an empty box";

    auto signalled = std::chrono::steady_clock::now();
    kill(program.Pid(), SIGTERM);
    std::optional<int> status = program.WaitAtMost(1s);
    ASSERT_TRUE(status) << "the box holds the program past a second";
    std::printf("ended %lld ms after SIGTERM with a message box up\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signalled).count()));
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_EQ(SettingsFile(temp / "config/nimbrell/historyLog.ini").ReadString("CONFIG", "formLeft", ""), "500")
        << "the settings are written on the way out";
}
