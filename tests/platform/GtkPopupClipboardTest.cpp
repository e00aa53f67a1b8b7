// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "base/Utf.h"
#include "platform/Window.h"
#include "platform/gtk/GtkBackend.h"
#include "tests/support/Desktop.h"

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
