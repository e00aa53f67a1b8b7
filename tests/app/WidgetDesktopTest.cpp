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
            [folder] { setenv("TEMP", folder.c_str(), 1); });
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
