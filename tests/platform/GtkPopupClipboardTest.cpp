// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "base/Utf.h"
#include "platform/Window.h"
#include "platform/gtk/GtkBackend.h"
#include "tests/support/Desktop.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>

using namespace nimbrell::platform;
using namespace nimbrell::testing;
using nimbrell::SanitizeUtf8;
using namespace std::chrono_literals;

namespace {

class RecordingWindow : public Window {
public:
    using Window::Window;
    std::vector<Message> received;

    const Message* Find(std::uint32_t code) const
    {
        for (const auto& message : received) {
            if (message.message == code)
                return &message;
        }
        return nullptr;
    }

protected:
    void OnMessage(Message& message) override { received.push_back(message); }
};

// Runs a shell command on another thread while the loop keeps serving the
// clipboard; its standard output.
std::string runPumping(const std::string& command)
{
    auto output = std::async(std::launch::async, [command] {
        std::string text;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return text;
        char buffer[65536];
        std::size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, got);
        pclose(pipe);
        return text;
    });
    WaitFor([&] { return output.wait_for(0s) == std::future_status::ready; }, 20s, Pump::Loop);
    return output.get();
}

class GtkPopupClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto backend = CreateGtkBackend();
        ASSERT_TRUE(backend) << "no X display";
        application = std::make_unique<Application>(std::move(backend));
    }

    void showOpaque(Window& window, int left, int top, int width, int height)
    {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0xFF3060A0);
        window.Move(left, top);
        window.Native().Resize(width, height);
        window.Native().Show();
        window.Native().PushLayered(pixels.data(), width, height, width * 4);
    }

    std::unique_ptr<Application> application;
};

}

TEST_F(GtkPopupClipboardTest, PopupTakesKeysAndReportsPressesOutsideItself)
{
    RecordingWindow owner;
    showOpaque(owner, 100, 100, 200, 100);
    RecordingWindow popup(WindowKind::Popup);
    showOpaque(popup, 100, 300, 150, 80);
    ASSERT_TRUE(ScreenSettlesOn([](const Screenshot& shot) { return Near(shot.At(101, 101), { 0x30, 0x60, 0xA0 }, 4) && Near(shot.At(101, 301), { 0x30, 0x60, 0xA0 }, 4); }))
        << "both windows are shown";

    RunCommand("xdotool key Escape");
    ASSERT_TRUE(WaitFor([&] { return popup.Find(WM_KEYDOWN); }, Pump::Loop)) << "the popup holds the keyboard";
    EXPECT_EQ(popup.Find(WM_KEYDOWN)->wParam, VK_ESCAPE);

    RunCommand("xdotool mousemove 120 320 click 1");
    ASSERT_TRUE(WaitFor([&] { return popup.Find(WM_LBUTTONUP); }, Pump::Loop));
    EXPECT_EQ(PointParamX(popup.Find(WM_LBUTTONDOWN)->lParam), 20);
    EXPECT_FALSE(popup.Find(WM_ACTIVATE));

    RunCommand("xdotool mousemove 150 150 click 1");
    ASSERT_TRUE(WaitFor([&] { return popup.Find(WM_ACTIVATE); }, Pump::Loop)) << "a press on the owner deactivates the popup";
    EXPECT_EQ(popup.Find(WM_ACTIVATE)->wParam, WA_INACTIVE);
    EXPECT_EQ(static_cast<HWND>(popup.Find(WM_ACTIVATE)->lParam), owner.Handle());
    EXPECT_FALSE(owner.Find(WM_LBUTTONDOWN)) << "the press that closes a popup goes nowhere else";

    popup.received.clear();
    RunCommand("xdotool mousemove 900 800 click 1");
    ASSERT_TRUE(WaitFor([&] { return popup.Find(WM_ACTIVATE); }, Pump::Loop)) << "a press on the desktop deactivates it";
    EXPECT_EQ(popup.Find(WM_ACTIVATE)->lParam, 0);

    popup.Native().Hide();
    owner.received.clear();
    RunCommand("xdotool mousemove 150 150 click 1");
    EXPECT_TRUE(WaitFor([&] { return owner.Find(WM_LBUTTONUP); }, Pump::Loop)) << "a hidden popup lets go of the pointer";
}

TEST_F(GtkPopupClipboardTest, ClipboardTextBothWays)
{
    application->GetBackend().SetClipboardText("天气 weather");
    EXPECT_EQ(runPumping("xclip -o -selection clipboard"), "天气 weather");

    RunCommand("printf 'from another program: 中文' | xclip -selection clipboard -loops 1 &");
    ASSERT_TRUE(WaitFor([&] {
        auto text = application->GetBackend().ClipboardText();
        return text && *text == "from another program: 中文";
    },
        5s, Pump::Loop));

    RunCommand("head -c 10485760 /dev/zero | tr '\\0' 'x' | xclip -selection clipboard -loops 1 &");
    std::optional<std::string> big;
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] {
        big = application->GetBackend().ClipboardText();
        return big && big->size() > 100;
    },
        10s, Pump::Loop));
    EXPECT_EQ(big->size(), 10485760u);
    std::printf("10 MB clipboard read in %lld ms\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()));

    RunCommand("printf 'bad \\377\\376 bytes' | xclip -selection clipboard -t UTF8_STRING -loops 1 &");
    // Invalid bytes give no text at all or valid UTF-8, never the bytes.
    std::optional<std::string> bad;
    ASSERT_TRUE(WaitFor([&] {
        bad = application->GetBackend().ClipboardText();
        return !bad || bad->size() < 100;
    },
        5s, Pump::Loop));
    if (bad) {
        EXPECT_EQ(SanitizeUtf8(*bad), *bad);
        EXPECT_TRUE(bad->starts_with("bad"));
    }
}

TEST_F(GtkPopupClipboardTest, AnOpenMenuFollowsItsChangedEntries)
{
    RecordingWindow owner;
    showOpaque(owner, 100, 100, 200, 100);
    MenuEntry refresh { .caption = "刷新", .enabled = false };
    MenuEntry more { .caption = "更多", .visible = false };
    MenuEntry days { .caption = "未来五天" };
    const std::vector<MenuEntry> opened { refresh, more, days };

    // The first key selects the first item that can be chosen: what the open menu
    // shows after the change decides which one that is.
    struct Case {
        const char* change;
        std::vector<MenuEntry> entries;
        WPARAM chosen;
    };
    MenuEntry enabled = refresh, shown = more, checked = days;
    enabled.enabled = true;
    shown.visible = true;
    checked.checked = true;
    const Case cases[] = {
        { "a command enabled", { enabled, more, days }, 0 },
        { "a hidden item shown", { refresh, shown, checked }, 1 },
        { "a check mark set, the item replaced in its place", { refresh, more, checked }, 2 },
        { "nothing changed", opened, 2 },
    };
    auto menuShown = [](const Screenshot& shot) { return !Near(shot.At(620, 610), DesktopRoot, 8); };
    for (const Case& each : cases) {
        owner.received.clear();
        application->GetBackend().PopupMenu(opened, { 600, 600 }, owner.Handle());
        ASSERT_TRUE(menuShown(ScreenWhen(menuShown))) << each.change << ": the menu did not open";
        application->GetBackend().UpdatePopupMenu(each.entries, owner.Handle());
        RunCommand("xdotool key Down Return");
        ASSERT_TRUE(WaitFor([&] { return owner.Find(WM_COMMAND); }, Pump::Loop)) << each.change;
        EXPECT_EQ(owner.Find(WM_COMMAND)->wParam, each.chosen) << each.change;
        auto menuGone = [&](const Screenshot& shot) { return !menuShown(shot); };
        ASSERT_TRUE(menuGone(ScreenWhen(menuGone))) << each.change;
        EXPECT_FALSE(WaitFor([&] { return std::ranges::count_if(owner.received, [](const Message& m) { return m.message == WM_COMMAND; }) > 1; }, 300ms, Pump::Loop))
            << each.change << ": replacing an item chose nothing";
    }

    // A menu that has closed takes no change.
    application->GetBackend().UpdatePopupMenu({ enabled, shown, checked }, owner.Handle());
}

TEST_F(GtkPopupClipboardTest, ALeaveWhileAGrabHoldsThePointerCountsWhenTheGrabEnds)
{
    RecordingWindow window;
    showOpaque(window, 100, 100, 200, 100);
    auto windowShown = [](const Screenshot& shot) { return Near(shot.At(150, 150), { 0x30, 0x60, 0xA0 }, 8); };
    ASSERT_TRUE(windowShown(ScreenWhen(windowShown)));
    auto leaves = [&] { return std::ranges::count_if(window.received, [](const Message& m) { return m.message == WM_MOUSELEAVE; }); };
    auto menuShown = [](const Screenshot& shot) { return !Near(shot.At(620, 610), DesktopRoot, 8); };
    auto menuGone = [&](const Screenshot& shot) { return !menuShown(shot); };
    auto hover = [&] {
        window.received.clear();
        RunCommand("xdotool mousemove 150 150");
        ASSERT_TRUE(WaitFor([&] { return window.Find(WM_MOUSEMOVE); }, Pump::Loop));
        window.received.clear();
    };

    hover();
    application->GetBackend().PopupMenu({ { "First" } }, { 600, 600 }, window.Handle());
    ASSERT_TRUE(menuShown(ScreenWhen(menuShown)));
    RunCommand("xdotool mousemove 900 800");
    EXPECT_FALSE(WaitFor([&] { return leaves() > 0; }, 300ms, Pump::Loop)) << "the menu holds the pointer";
    RunCommand("xdotool key Escape");
    EXPECT_TRUE(WaitFor([&] { return leaves() == 1; }, Pump::Loop)) << "the menu closed with the pointer outside: the leave comes";

    hover();
    application->GetBackend().PopupMenu({ { "First" } }, { 600, 600 }, window.Handle());
    ASSERT_TRUE(menuShown(ScreenWhen(menuShown)));
    RunCommand("xdotool key Escape");
    ASSERT_TRUE(menuGone(ScreenWhen(menuGone)));
    EXPECT_FALSE(WaitFor([&] { return leaves() > 0; }, 300ms, Pump::Loop)) << "closed with the pointer over the window: no leave";

    // The window's own capture, released with the pointer outside.
    hover();
    window.Native().SetCapture(true);
    RunCommand("xdotool mousemove 900 800");
    ASSERT_TRUE(WaitFor([&] { return window.Find(WM_MOUSEMOVE); }, Pump::Loop)) << "the capture takes the moves";
    EXPECT_EQ(leaves(), 0) << "captured, the window keeps the mouse";
    window.Native().SetCapture(false);
    EXPECT_TRUE(WaitFor([&] { return leaves() == 1; }, Pump::Loop)) << "released outside: the leave comes";
}
