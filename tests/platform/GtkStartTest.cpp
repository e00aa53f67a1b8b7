// SPDX-License-Identifier: GPL-3.0-or-later
// GTK itself starts only when one of its widgets is needed; until then the
// program's windows run on GDK alone. A process of its own: GTK never stops again.

#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/gtk/GtkBackend.h"
#include "tests/support/Desktop.h"

#include <gtest/gtest.h>

using namespace nimbrell::platform;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

class ClickWindow : public Window {
public:
    int presses { 0 };

protected:
    void OnMessage(Message& message) override { presses += message.message == WM_LBUTTONDOWN; }
};

}

TEST(GtkStartTest, WindowsNeedNoGtkAndAClickOnThemClosesAnOpenMenu)
{
    auto backend = CreateGtkBackend();
    ASSERT_TRUE(backend) << "no X display";
    Application application(std::move(backend));
    ASSERT_TRUE(WaitFor([&] { return application.GetBackend().IsComposited(); }, 10s, Pump::Loop)) << "no compositor";

    ClickWindow window;
    window.Move(100, 100);
    std::vector<std::uint32_t> green(200 * 200, 0xFF00FF00);
    window.Native().Show();
    window.Native().PushLayered(green.data(), 200, 200, 200 * 4);
    ASSERT_TRUE(Near(ScreenWhen([](const Screenshot& shot) { return Near(shot.At(150, 150), { 0, 255, 0 }, 4); }).At(150, 150), { 0, 255, 0 }, 4));
    RunCommand("xdotool mousemove 150 150 click 1");
    ASSERT_TRUE(WaitFor([&] { return window.presses == 1; }, Pump::Loop)) << "a click reaches the window";
    EXPECT_FALSE(GtkToolkitStarted()) << "a window, its pixels and a click need no GTK";

    application.GetBackend().PopupMenu({ { "First" }, { "Second" } }, { 600, 600 }, window.Handle());
    EXPECT_TRUE(GtkToolkitStarted());
    auto menuShown = [](const Screenshot& shot) { return !Near(shot.At(620, 610), DesktopRoot, 8); };
    ASSERT_TRUE(menuShown(ScreenWhen(menuShown))) << "the menu did not open";

    // The press goes to the menu, as a press outside it, and closes it.
    RunCommand("xdotool mousemove 150 150 click 1");
    auto menuGone = [](const Screenshot& shot) { return Near(shot.At(620, 610), DesktopRoot, 8); };
    ASSERT_TRUE(menuGone(ScreenWhen(menuGone))) << "a click on the program's window left the menu open";
    EXPECT_EQ(window.presses, 1) << "the click that closed the menu also reached the window";

    RunCommand("xdotool mousemove 160 160 click 1");
    EXPECT_TRUE(WaitFor([&] { return window.presses == 2; }, Pump::Loop)) << "with the menu closed, clicks reach the window again";
}
