// The real program on a real X desktop with a compositor, driven with the mouse
// and the keyboard as a user would: the demo service fills it.

#include "data/SettingsFile.h"
#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/gtk/GtkBackend.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/Desktop.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

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
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform::Application::Exists())
            PumpFor(50ms);
        else
            std::this_thread::sleep_for(50ms);
        if (ready(Screenshot()))
            return true;
    }
    return false;
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
    bool PanelShown(const Screenshot& s) const { return inked(s, left + 21, top + 150, left + 130, top + 440); }
    bool NothingElse(const Screenshot& s) const { return !inked(s, left + 260, top, left + 600, top + 400); }
};

class WidgetDesktopTest : public ::testing::Test {
protected:
    TempDirectory temp;

    std::unique_ptr<ChildProgram> start()
    {
        std::string folder = temp.Path().string();
        auto program = std::make_unique<ChildProgram>(NIMBRELL_BINARY, std::vector<std::string> { "--demo" },
            [folder] {
                setenv("TEMP", folder.c_str(), 1);
                // The settings window writes the autostart entry here, not in the user's folder.
                setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
            });
        EXPECT_TRUE(program->WaitFor("runs until closed")) << program->Output();
        return program;
    }

    // Opens the widget's menu with a right click at (x, y) and picks the item
    // that many steps down (separators and hidden items are skipped).
    void pickFromMenu(int x, int y, int steps)
    {
        xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 3");
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

    pickFromMenu(660, 420, 3); // 嵌入桌面
    xdotool("mousemove 660 420 mousedown 1 mousemove 700 440 mousemove 760 470 mouseup 1");
    pickFromMenu(760, 470, 6); // 退出: the menu still opens while pinned
    int status = program->Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    SettingsFile settings(temp / "NimbrellWeather/historyLog.ini");
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "600") << "pinned, it did not move";
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "360");
}

namespace {

class WindowBelow : public platform::Window {
public:
    bool pressed { false };

protected:
    void OnMessage(platform::Message& message) override
    {
        if (message.message == platform::WM_LBUTTONDOWN)
            pressed = true;
    }
};

}

TEST_F(WidgetDesktopTest, PassThroughLetsClicksReachTheWindowBelow)
{
    auto backend = platform::CreateGtkBackend();
    ASSERT_TRUE(backend);
    platform::Application application(std::move(backend));
    WindowBelow below;
    std::vector<std::uint32_t> blue(400 * 300, 0xFF2040A0);
    below.Move(450, 250);
    below.Native().Resize(400, 300);
    below.Native().Show();
    below.Native().PushLayered(blue.data(), 400, 300, 400 * 4);
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return Near(s.At(460, 260), Rgb { 0x20, 0x40, 0xA0 }, 20); }));

    auto program = start();
    WidgetOnScreen at500 { 500, 300 };
    ASSERT_TRUE(screenShows([&](const Screenshot& s) { return at500.TodayShown(s); }));

    xdotool("mousemove 560 360 click 1");
    PumpFor(300ms);
    EXPECT_FALSE(below.pressed) << "the widget takes the click";

    pickFromMenu(560, 360, 4); // 鼠标穿透
    bool reached = false;
    for (int attempt = 0; attempt < 20 && !reached; ++attempt) {
        xdotool("mousemove 560 360 click 1");
        reached = PumpUntil([&] { return below.pressed; }, 250ms);
    }
    EXPECT_TRUE(reached) << "with pass-through the click reaches the window below";

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
// The interval list and its items when dropped down: 间隔120, 间隔180 (selected).
constexpr int IntervalX = ConfigLeft + 100, IntervalY = ConfigTop + 163;
constexpr int Interval120Y = ConfigTop + 198, Interval180Y = ConfigTop + 216;

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

    pickFromMenu(560, 360, 5); // 软件设置
    ASSERT_TRUE(screenShows([&](const Screenshot& s) {
        return Near(s.At(ConfigLeft + 100, ConfigTop + 5), Rgb { 0xE0, 0xE0, 0xE0 }, 40)
            && lettered(s, ConfigLeft + 30, FirstRowY - 8, ConfigLeft + 110, FirstRowY + 8);
    })) << "the settings window opens with the provinces";
    auto cityRows = [](const Screenshot& s) { return lettered(s, CityX - 40, FirstRowY - 8, CityX + 30, FirstRowY + 4 * RowHeight); };
    EXPECT_FALSE(cityRows(Screenshot()));

    // 辽宁, then one key down to 黑龙江; then its first city, 哈尔滨.
    xdotool("mousemove " + std::to_string(ProvinceX) + " " + std::to_string(FirstRowY + 4 * RowHeight) + " click 1");
    ASSERT_TRUE(screenShows(cityRows)) << "a province fills the city list";
    xdotool("key Down");
    std::this_thread::sleep_for(300ms);
    xdotool("mousemove " + std::to_string(CityX) + " " + std::to_string(FirstRowY) + " click 1");
    std::this_thread::sleep_for(300ms);

    xdotool("mousemove " + std::to_string(IntervalX) + " " + std::to_string(IntervalY) + " click 1");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return Near(s.At(IntervalX, Interval180Y), Rgb { 141, 98, 56 }, 30); }))
        << "the interval list drops down with 间隔180 selected";
    xdotool("key Up Return");
    ASSERT_TRUE(screenShows([](const Screenshot& s) { return !Near(s.At(IntervalX, Interval180Y), Rgb { 141, 98, 56 }, 30); }))
        << "picking closes it";
    xdotool("mousemove " + std::to_string(SaveX) + " " + std::to_string(SaveY) + " click 1");

    SettingsFile settings(temp / "NimbrellWeather/historyLog.ini");
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (settings.ReadString("CONFIG", "cityCode", "").empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "哈尔滨");
    EXPECT_EQ(settings.ReadString("CONFIG", "cityCode", ""), "101050101");
    EXPECT_EQ(settings.ReadString("CONFIG", "updateInterval", ""), "1");

    int status = program->Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
