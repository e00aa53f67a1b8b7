// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace nimbrell::platform;

namespace {

class RecordingWindow : public Window {
public:
    std::vector<Message> received;
    int closes { 0 };
    std::function<void(Message&)> onMessage;

protected:
    void OnMessage(Message& message) override
    {
        received.push_back(message);
        if (onMessage)
            onMessage(message);
    }
    void OnClose() override { ++closes; }
};

class MessageQueueTest : public ::testing::Test {
protected:
    HeadlessBackend* backend { new HeadlessBackend(ClockKind::Manual) };
    Application application { std::unique_ptr<Backend>(backend) };
};

}

TEST_F(MessageQueueTest, MessagesFromManyThreadsArriveOnceInPerThreadOrder)
{
    RecordingWindow window;
    constexpr int threads = 8;
    constexpr int perThread = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i)
                PostMessage(window.Handle(), 5000 + t, 0, i);
        });
    }
    for (auto& poster : posters)
        poster.join();
    application.ProcessMessages();

    ASSERT_EQ(window.received.size(), std::size_t(threads * perThread));
    std::map<std::uint32_t, LPARAM> next;
    for (const auto& message : window.received) {
        EXPECT_EQ(message.lParam, next[message.message]) << "thread " << message.message - 5000;
        next[message.message] = message.lParam + 1;
    }
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(next[5000 + t], perThread);
}

TEST_F(MessageQueueTest, PostingToAClosedWindowDoesNothing)
{
    RecordingWindow window;
    HWND handle = window.Handle();
    PostMessage(handle, 2025, 0, 1);
    window.Close();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, 2025, 0, 1));
    application.ProcessMessages();
    EXPECT_TRUE(window.received.empty()) << "a message queued before the close is dropped too";
    EXPECT_FALSE(PostMessage(0, 2025, 0, 1));
    EXPECT_FALSE(PostMessage(999999, 2025, 0, 1));
}

TEST_F(MessageQueueTest, PeekRemovesOnlyMessagesOfTheGivenCode)
{
    RecordingWindow window;
    for (int i = 0; i < 3; ++i) {
        PostMessage(window.Handle(), 1147, 0, i);
        PostMessage(window.Handle(), 2025, 0, i);
    }
    Message message;
    int removed = 0;
    while (application.PeekMessage(message, window.Handle(), 1147))
        EXPECT_EQ(message.lParam, removed++);
    EXPECT_EQ(removed, 3);
    application.ProcessMessages();
    ASSERT_EQ(window.received.size(), 3u);
    for (const auto& received : window.received)
        EXPECT_EQ(received.message, 2025u);
}

TEST_F(MessageQueueTest, HookSeesEveryMessageFirstAndCanStopDispatch)
{
    RecordingWindow window;
    std::vector<std::uint32_t> hooked;
    application.SetMessageHook([&](Message& message, bool& handled) {
        hooked.push_back(message.message);
        handled = message.message == WM_RBUTTONDOWN;
    });
    PostMessage(window.Handle(), WM_LBUTTONDOWN, 0, 0);
    PostMessage(window.Handle(), WM_RBUTTONDOWN, 0, 0);
    application.ProcessMessages();
    EXPECT_EQ(hooked, (std::vector<std::uint32_t> { WM_LBUTTONDOWN, WM_RBUTTONDOWN }));
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].message, WM_LBUTTONDOWN);
}

TEST_F(MessageQueueTest, HandlerErrorIsShownWithTheTitleAndTheLoopRunsOn)
{
    application.SetTitle("Nimbrell - 桌面天气预报");
    RecordingWindow window;
    window.onMessage = [](Message& message) {
        if (message.lParam == 1)
            throw std::runtime_error("List index out of bounds (1)");
    };
    PostMessage(window.Handle(), 2025, 0, 1);
    PostMessage(window.Handle(), 2025, 0, 2);
    application.ProcessMessages();
    ASSERT_EQ(backend->MessageBoxes().size(), 1u);
    EXPECT_EQ(backend->MessageBoxes()[0].text, "List index out of bounds (1)");
    EXPECT_EQ(backend->MessageBoxes()[0].caption, "Nimbrell - 桌面天气预报");
    EXPECT_EQ(window.received.size(), 2u);
}

TEST_F(MessageQueueTest, ModalLoopRunsUntilDoneAndOtherWindowsKeepGettingMessages)
{
    RecordingWindow main;
    RecordingWindow dialog;
    bool dialogDone = false;
    dialog.onMessage = [&](Message& message) {
        if (message.message == 7)
            dialogDone = true;
    };
    PostMessage(main.Handle(), 2025, 0, 1);
    PostMessage(dialog.Handle(), 7, 0, 0);
    application.RunModal([&] { return dialogDone; });
    EXPECT_TRUE(dialogDone);
    EXPECT_EQ(main.received.size(), 1u);
}

TEST_F(MessageQueueTest, CloseMessageRunsTheCloseHandlerAndEndsTheMainLoop)
{
    RecordingWindow main;
    application.SetMainWindow(main.Handle());
    PostMessage(main.Handle(), WM_CLOSE, 0, 0);
    application.Run(main.Handle());
    EXPECT_EQ(main.closes, 1);
    EXPECT_TRUE(main.IsClosed());
    EXPECT_TRUE(application.Terminated());
}

TEST_F(MessageQueueTest, RunWakesUpForAMessagePostedFromAnotherThread)
{
    RecordingWindow main;
    main.onMessage = [&](Message&) { main.Close(); };
    std::thread poster([&] { PostMessage(main.Handle(), 2026, 0, 1); });
    application.Run(main.Handle());
    poster.join();
    EXPECT_EQ(main.received.size(), 1u);
}

TEST(Application, OnlyOneAtATime)
{
    Application first(std::make_unique<HeadlessBackend>());
    EXPECT_THROW(Application(std::make_unique<HeadlessBackend>()), std::logic_error);
    EXPECT_EQ(&Application::Instance(), &first);
}

TEST_F(MessageQueueTest, ShowModalRunsUntilAResultAndOtherWindowsKeepWorking)
{
    RecordingWindow main;
    RecordingWindow dialog;
    dialog.onMessage = [&](Message& message) {
        if (message.message == 7)
            dialog.SetModalResult(ModalResult::Ok);
    };
    PostMessage(main.Handle(), 2025, 0, 1);
    PostMessage(dialog.Handle(), 7, 0, 0);
    EXPECT_EQ(dialog.ShowModal(&main), ModalResult::Ok);
    EXPECT_EQ(main.received.size(), 1u) << "a worker's message to the main window is handled meanwhile";
    EXPECT_FALSE(dialog.Native().IsVisible());
    EXPECT_FALSE(static_cast<HeadlessWindow&>(dialog.Native()).Modal());

    RecordingWindow closed;
    PostMessage(closed.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closed.ShowModal(&main), ModalResult::Cancel) << "closing a modal window cancels it";
    EXPECT_EQ(closed.closes, 1);
}
