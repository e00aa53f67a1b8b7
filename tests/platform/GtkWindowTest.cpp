// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/gtk/GtkBackend.h"
#include "tests/support/Desktop.h"

#include <gtest/gtest.h>
#include <thread>

using namespace nimbrell::platform;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

class InputWindow : public Window {
public:
    std::vector<Message> received;

    bool Got(std::uint32_t code) const
    {
        for (const auto& message : received) {
            if (message.message == code)
                return true;
        }
        return false;
    }

protected:
    void OnMessage(Message& message) override { received.push_back(message); }
};

// Premultiplied pixels: an opaque red left half; at the top right a white at half
// alpha; the rest fully transparent.
std::vector<std::uint32_t> testImage(int width, int height)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto& pixel = pixels[static_cast<std::size_t>(y * width + x)];
            if (x < width / 2)
                pixel = 0xFFFF0000;
            else if (y < height / 2)
                pixel = 0x80808080;
        }
    }
    return pixels;
}

class GtkWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto backend = CreateGtkBackend();
        ASSERT_TRUE(backend) << "no X display";
        application = std::make_unique<Application>(std::move(backend));
        ASSERT_TRUE(WaitFor([&] { return application->GetBackend().IsComposited(); }, 10s, Pump::Loop)) << "no compositor";
    }

    void showLayered(InputWindow& window, int left, int top, const std::vector<std::uint32_t>& pixels, int width, int height)
    {
        window.Move(left, top);
        window.Native().Resize(width, height);
        window.Native().Show();
        window.Native().PushLayered(pixels.data(), width, height, width * 4);
        // Every test image has an opaque top-left pixel: wait until it is on the screen.
        std::uint32_t first = pixels.front();
        Rgb expected { static_cast<int>((first >> 16) & 0xFF), static_cast<int>((first >> 8) & 0xFF), static_cast<int>(first & 0xFF) };
        Screenshot screen = ScreenWhen([&](const Screenshot& shot) { return Near(shot.At(left, top), expected, 4); });
        ASSERT_TRUE(Near(screen.At(left, top), expected, 4)) << "the window did not appear";
    }

    std::unique_ptr<Application> application;
};

}

TEST_F(GtkWindowTest, PushedImageBlendsPerPixelWithTheDesktop)
{
    InputWindow window;
    showLayered(window, 100, 100, testImage(200, 100), 200, 100);
    Screenshot screen = ScreenWhen([](const Screenshot& shot) { return Near(shot.At(150, 150), { 255, 0, 0 }, 4); });
    const Rgb root = DesktopRoot;
    EXPECT_TRUE(Near(screen.At(150, 150), { 255, 0, 0 }, 4)) << Describe(screen.At(150, 150));
    Rgb blend { 0x80 + root.r * 0x7F / 0xFF, 0x80 + root.g * 0x7F / 0xFF, 0x80 + root.b * 0x7F / 0xFF };
    EXPECT_TRUE(Near(screen.At(260, 120), blend, 6)) << Describe(screen.At(260, 120)) << " expected " << Describe(blend);
    EXPECT_TRUE(Near(screen.At(260, 180), root, 4)) << Describe(screen.At(260, 180));
    EXPECT_TRUE(Near(screen.At(50, 50), root, 4)) << Describe(screen.At(50, 50));
}

// The window keeps only the painted part of what was pushed: when that part moves
// or shrinks, what was painted before must not stay on the screen.
TEST_F(GtkWindowTest, LaterPushesClearWhatIsNoLongerPainted)
{
    InputWindow window;
    constexpr int Width = 300, Height = 200;
    showLayered(window, 100, 100, testImage(Width, Height), Width, Height);

    // Only a green 20 × 20 square at (200, 150) of the window is left.
    std::vector<std::uint32_t> square(Width * Height, 0);
    for (int y = 150; y < 170; ++y) {
        for (int x = 200; x < 220; ++x)
            square[static_cast<std::size_t>(y * Width + x)] = 0xFF00FF00;
    }
    window.Native().PushLayered(square.data(), Width, Height, Width * 4);
    Screenshot screen = ScreenWhen([](const Screenshot& shot) { return Near(shot.At(310, 260), { 0, 255, 0 }, 4) && Near(shot.At(110, 110), DesktopRoot, 4); });
    EXPECT_TRUE(Near(screen.At(310, 260), { 0, 255, 0 }, 4)) << Describe(screen.At(310, 260));
    for (auto [x, y] : { std::pair { 110, 110 }, { 240, 280 }, { 330, 120 }, { 295, 255 } })
        EXPECT_TRUE(Near(screen.At(x, y), DesktopRoot, 4)) << x << ", " << y << ": " << Describe(screen.At(x, y));

    std::vector<std::uint32_t> nothing(Width * Height, 0);
    window.Native().PushLayered(nothing.data(), Width, Height, Width * 4);
    screen = ScreenWhen([](const Screenshot& shot) { return Near(shot.At(310, 260), DesktopRoot, 4); });
    EXPECT_TRUE(Near(screen.At(310, 260), DesktopRoot, 4)) << "an empty push leaves nothing: " << Describe(screen.At(310, 260));
}

TEST_F(GtkWindowTest, TransparentPixelsLetTheMouseThroughToTheWindowBelow)
{
    InputWindow below;
    std::vector<std::uint32_t> blue(300 * 300, 0xFF0000FF);
    showLayered(below, 50, 50, blue, 300, 300);
    InputWindow above;
    showLayered(above, 100, 100, testImage(200, 100), 200, 100);

    RunCommand("xdotool mousemove 260 180 click 1");
    ASSERT_TRUE(WaitFor([&] { return below.Got(WM_LBUTTONUP); }, Pump::Loop)) << "a click on an alpha-0 pixel reaches the window below";
    EXPECT_FALSE(above.Got(WM_LBUTTONDOWN));

    RunCommand("xdotool mousemove 150 160 click 1");
    ASSERT_TRUE(WaitFor([&] { return above.Got(WM_LBUTTONUP); }, Pump::Loop)) << "a click on a painted pixel reaches the window";
    for (const auto& message : above.received) {
        if (message.message == WM_LBUTTONDOWN) {
            EXPECT_EQ(PointParamX(message.lParam), 50);
            EXPECT_EQ(PointParamY(message.lParam), 60);
            EXPECT_TRUE(message.wParam & MK_LBUTTON);
        }
    }

    above.received.clear();
    below.received.clear();
    above.Native().SetMousePassThrough(true);
    RunCommand("xdotool mousemove 150 160 click 1");
    ASSERT_TRUE(WaitFor([&] { return below.Got(WM_LBUTTONUP); }, Pump::Loop)) << "with pass-through on, even painted pixels let the mouse through";
    EXPECT_FALSE(above.Got(WM_LBUTTONDOWN));
}

TEST_F(GtkWindowTest, DoubleClickArrivesAsDownUpDoubleUp)
{
    InputWindow window;
    std::vector<std::uint32_t> opaque(100 * 100, 0xFF00FF00);
    showLayered(window, 400, 400, opaque, 100, 100);
    RunCommand("xdotool mousemove 450 450 click --repeat 2 --delay 50 1");
    ASSERT_TRUE(WaitFor([&] {
        int ups = 0;
        for (const auto& message : window.received)
            ups += message.message == WM_LBUTTONUP;
        return ups == 2;
    },
        Pump::Loop));
    std::vector<std::uint32_t> buttons;
    for (const auto& message : window.received) {
        if (message.message != WM_MOUSEMOVE)
            buttons.push_back(message.message);
    }
    EXPECT_EQ(buttons, (std::vector<std::uint32_t> { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP }));
}

TEST_F(GtkWindowTest, LoopWakesForPostsFromOtherThreadsAndForTimers)
{
    InputWindow window;
    std::thread poster([&] { PostMessage(window.Handle(), 2025, 0, 1); });
    EXPECT_TRUE(WaitFor([&] { return window.Got(2025); }, Pump::Loop));
    poster.join();

    application->SetTimer(window.Handle(), 1, 30);
    EXPECT_TRUE(WaitFor([&] { return window.Got(WM_TIMER); }, Pump::Loop));
}

TEST_F(GtkWindowTest, WorkAreaAndCursorPosition)
{
    ScreenRect area = application->GetBackend().WorkAreaAt({ 10, 10 });
    EXPECT_EQ(area, (ScreenRect { 0, 0, 1280, 1024 }));
    RunCommand("xdotool mousemove 321 123");
    EXPECT_TRUE(WaitFor([&] { return application->GetBackend().CursorPosition() == ScreenPoint { 321, 123 }; }, Pump::Loop));
}

TEST_F(GtkWindowTest, KeysAndCharactersArriveAsMessages)
{
    InputWindow window;
    std::vector<std::uint32_t> opaque(100 * 100, 0xFF00FF00);
    showLayered(window, 600, 100, opaque, 100, 100);
    window.Native().Focus();
    RunCommand("xdotool mousemove 650 150");
    // Without a window manager the keyboard follows the pointer: wait until it is in.
    ASSERT_TRUE(WaitFor([&] { return window.Got(WM_MOUSEMOVE); }, Pump::Loop));
    RunCommand("xdotool key Tab key shift+Tab type 'a'");
    RunCommand("xdotool key ctrl+c key Escape");
    ASSERT_TRUE(WaitFor([&] {
        for (const auto& message : window.received) {
            if (message.message == WM_KEYUP && message.wParam == VK_ESCAPE)
                return true;
        }
        return false;
    },
        Pump::Loop))
        << "no key reached the window";

    std::vector<std::pair<std::uint32_t, WPARAM>> keys;
    for (const auto& message : window.received) {
        if (message.message == WM_KEYDOWN || message.message == WM_CHAR)
            keys.emplace_back(message.message, message.wParam);
    }
    std::vector<std::pair<std::uint32_t, WPARAM>> expected {
        { WM_KEYDOWN, VK_TAB }, { WM_KEYDOWN, VK_SHIFT }, { WM_KEYDOWN, VK_TAB }, { WM_KEYDOWN, 'A' }, { WM_CHAR, 'a' },
        { WM_KEYDOWN, VK_CONTROL }, { WM_KEYDOWN, 'C' }, { WM_CHAR, 3 }, { WM_KEYDOWN, VK_ESCAPE }
    };
    EXPECT_EQ(keys, expected);
    for (const auto& message : window.received) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && (message.lParam & MK_SHIFT))
            return;
    }
    ADD_FAILURE() << "Shift+Tab carries the shift state";
}

TEST_F(GtkWindowTest, AnErrorWhileTheMainWindowClosesIsShownBeforeTheProgramEnds)
{
    class FailingClose : public Window {
    protected:
        void OnClose() override { throw std::runtime_error("无法写入设置文件 /nowhere/historyLog.ini"); }
    } window;
    application->SetTitle("CloseErrorBoxTest");
    application->SetMainWindow(window.Handle());

    // Answers the box once it is on the screen: pointer over it, then Return.
    bool seen = false;
    Timer answer([&] {
        if (seen)
            return;
        const char* command = "id=$(xdotool search --onlyvisible --name '^CloseErrorBoxTest$' | head -n 1); [ -n \"$id\" ] || exit 1; "
                              "eval \"$(xdotool getwindowgeometry --shell \"$id\")\"; "
                              "xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return";
        seen = std::system(command) == 0;
    });
    answer.SetInterval(50);
    answer.SetEnabled(true);

    PostMessage(window.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return window.IsClosed(); }, 10s, Pump::Loop));
    EXPECT_TRUE(application->Terminated());
    EXPECT_TRUE(seen) << "the box ended before anyone could read it";
}

TEST_F(GtkWindowTest, WhileAMessageBoxIsUpTheWindowsTakeNoClicks)
{
    InputWindow window;
    window.Native().SetTitle("HeldWindow");
    std::vector<std::uint32_t> opaque(200 * 200, 0xFF0000FF);
    showLayered(window, 100, 100, opaque, 200, 200);

    // Clicks the window once the box is up, then moves it; the move arrives after the
    // click, so once the window has followed it the click has been handled. Then
    // answers the box.
    enum class Step {
        WaitForBox,
        WaitForMove,
        Answered
    } step = Step::WaitForBox;
    Timer driver([&] {
        if (step == Step::WaitForBox && std::system("xdotool search --onlyvisible --name '^HoldingBoxTest$' > /dev/null") == 0) {
            RunCommand("xdotool mousemove 150 150 click 1 && xdotool search --name '^HeldWindow$' windowmove 120 120");
            step = Step::WaitForMove;
        } else if (step == Step::WaitForMove && window.Native().Left() == 120) {
            RunCommand("id=$(xdotool search --onlyvisible --name '^HoldingBoxTest$' | head -n 1); "
                       "eval \"$(xdotool getwindowgeometry --shell \"$id\")\"; "
                       "xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return");
            step = Step::Answered;
        }
    });
    driver.SetInterval(50);
    driver.SetEnabled(true);
    application->GetBackend().ShowMessageBox("Held", "HoldingBoxTest");
    driver.SetEnabled(false);
    ASSERT_EQ(step, Step::Answered);
    EXPECT_FALSE(window.Got(WM_LBUTTONDOWN)) << "a click reached the window behind the message box";

    RunCommand("xdotool mousemove 150 150 click 1");
    EXPECT_TRUE(WaitFor([&] { return window.Got(WM_LBUTTONDOWN); }, Pump::Loop)) << "with the box gone, clicks reach the window again";
}

TEST_F(GtkWindowTest, AModalWindowHoldsTheInputOfTheOtherWindowsWhileShown)
{
    auto presses = [](const InputWindow& window) {
        return std::ranges::count_if(window.received, [](const Message& message) { return message.message == WM_LBUTTONDOWN; });
    };
    InputWindow owner;
    std::vector<std::uint32_t> red(200 * 200, 0xFFFF0000);
    showLayered(owner, 100, 100, red, 200, 200);
    InputWindow dialog;
    std::vector<std::uint32_t> blue(200 * 200, 0xFF0000FF);
    dialog.Native().SetModal(&owner.Native(), true);
    showLayered(dialog, 400, 100, blue, 200, 200);

    // The click on the dialog comes after the one on its owner, so once it has
    // arrived the first has been handled.
    RunCommand("xdotool mousemove 150 150 click 1 mousemove 450 150 click 1");
    ASSERT_TRUE(WaitFor([&] { return dialog.Got(WM_LBUTTONUP); }, Pump::Loop));
    EXPECT_EQ(presses(owner), 0) << "the owner took a click while the modal window was up";
    EXPECT_EQ(presses(dialog), 1) << "the click on the owner went to the modal window";

    dialog.Native().SetModal(nullptr, false);
    dialog.Native().Hide();
    RunCommand("xdotool mousemove 150 150 click 1");
    EXPECT_TRUE(WaitFor([&] { return owner.Got(WM_LBUTTONDOWN); }, Pump::Loop)) << "with the modal window gone, the owner takes clicks again";
}
