// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"
#include "update/UpdateDownload.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using namespace nimbrell;
using namespace std::chrono_literals;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using Layout = UpdateWindowView::Layout;
using State = UpdateDownload::State;
using Action = UpdateWindowAction;

namespace {

const UpdateOffer offer { "http://127.0.0.1:9/nimbrell-2.deb", "nimbrell-2.deb", "修正了若干问题", "" };
const DownloadFolder programFolder { "/opt/nimbrell", true, "nimbrell" };

// A model whose worker is only recorded.
struct RecordedModel {
    std::vector<DownloadRequest> started;
    UpdateDownload model;

    explicit RecordedModel(const UpdateOffer& o = offer, DownloadFolder folder = programFolder)
        : model(o, std::move(folder), 7, {}, [this](DownloadRequest request) { started.push_back(std::move(request)); })
    {
    }
};

}

TEST(UpdateDownloadTest, OfferThenOneDownloadForAnyNumberOfPresses)
{
    RecordedModel m;
    const UpdateWindowView& view = m.model.View();
    EXPECT_EQ(view.layout, Layout::Offer);
    EXPECT_EQ(view.description, "修正了若干问题");
    EXPECT_TRUE(view.updateButtonVisible);
    EXPECT_TRUE(view.updateButtonEnabled);
    EXPECT_EQ(view.secondButtonText, "取  消");

    for (int press = 0; press < 5; ++press)
        m.model.PressUpdate();
    ASSERT_EQ(m.started.size(), 1u);
    EXPECT_EQ(m.started[0].url, offer.url);
    EXPECT_EQ(m.started[0].window, 7u);
    EXPECT_EQ(m.started[0].folder, "/opt/nimbrell");
    EXPECT_EQ(m.started[0].name, "nimbrell-2.deb");
    EXPECT_EQ(m.model.CurrentState(), State::Downloading);
    EXPECT_EQ(view.layout, Layout::Progress);
    EXPECT_FALSE(view.updateButtonEnabled);
    EXPECT_EQ(view.status, "状态：正在连接服务器，请稍等……");
    EXPECT_EQ(m.model.PressSecondButton(), Action::CloseWindow) << "cancel during a download closes the window alone";
}

TEST(UpdateDownloadTest, ProgressReports)
{
    struct Case {
        std::vector<platform::LPARAM> reports;
        int bar;
        std::string status;
        State state;
    } cases[] = {
        { { 0 }, 0, "状态：正在更新中...... 0%", State::Downloading },
        { { 0, 1, 57 }, 57, "状态：正在更新中...... 57%", State::Downloading },
        { { 101 }, 101, "状态：正在更新中...... 101%", State::Downloading },
        { { 99, 100 }, 100, "更新完成，程序自动关闭，请重新运行：nimbrell-2.deb", State::Done },
        { { 100, 100 }, 100, "更新完成，程序自动关闭，请重新运行：nimbrell-2.deb", State::Done },
    };
    for (const auto& c : cases) {
        RecordedModel m;
        m.model.PressUpdate();
        for (auto report : c.reports)
            EXPECT_EQ(m.model.HandleMessage(kDownloadProgressMessage, report), Action::None);
        const UpdateWindowView& view = m.model.View();
        EXPECT_EQ(view.progress, c.bar) << c.status;
        EXPECT_EQ(view.status, c.status);
        EXPECT_EQ(m.model.CurrentState(), c.state) << c.status;
        bool done = c.state == State::Done;
        EXPECT_EQ(view.updateButtonVisible, !done) << c.status;
        EXPECT_EQ(view.secondButtonText, done ? "关  闭" : "取  消") << c.status;
    }
}

TEST(UpdateDownloadTest, CloseEndsTheProgramOnlyOnceTheFileIsWritten)
{
    RecordedModel m;
    m.model.PressUpdate();
    m.model.HandleMessage(kDownloadProgressMessage, 100);
    EXPECT_EQ(m.model.PressSecondButton(), Action::None);
    EXPECT_EQ(m.model.HandleMessage(kDownloadSavedMessage, 1), Action::CloseWindowAndProgram);

    RecordedModel later;
    later.model.PressUpdate();
    later.model.HandleMessage(kDownloadProgressMessage, 100);
    later.model.HandleMessage(kDownloadSavedMessage, 1);
    EXPECT_EQ(later.model.PressSecondButton(), Action::CloseWindowAndProgram);

    // Writing failed after the done state: the failed state, and the program stays.
    RecordedModel failing;
    failing.model.PressUpdate();
    failing.model.HandleMessage(kDownloadProgressMessage, 100);
    EXPECT_EQ(failing.model.PressSecondButton(), Action::None);
    EXPECT_EQ(failing.model.HandleMessage(kDownloadFailedMessage, 0), Action::None);
    EXPECT_EQ(failing.model.CurrentState(), State::Done) << "only lParam 1 is a failure";
    EXPECT_EQ(failing.model.HandleMessage(kDownloadFailedMessage, 1), Action::None);
    const UpdateWindowView& view = failing.model.View();
    EXPECT_EQ(failing.model.CurrentState(), State::Failed);
    EXPECT_EQ(view.layout, Layout::Failure);
    EXPECT_FALSE(view.updateButtonVisible);
    EXPECT_EQ(view.secondButtonText, "取  消");
    EXPECT_EQ(failing.model.PressSecondButton(), Action::CloseWindow);
}

TEST(UpdateDownloadTest, SavedWithoutPercentagesIsDone)
{
    RecordedModel m;
    m.model.PressUpdate();
    m.model.HandleMessage(kDownloadSavedMessage, 1);
    EXPECT_EQ(m.model.CurrentState(), State::Done);
    EXPECT_EQ(m.model.View().progress, 100);
    EXPECT_EQ(m.model.PressSecondButton(), Action::CloseWindowAndProgram);
}

TEST(UpdateDownloadTest, DoneTextNamesTheUserFolder)
{
    RecordedModel m(offer, DownloadFolder { "/home/u/下载", false });
    m.model.PressUpdate();
    EXPECT_EQ(m.started.at(0).folder, "/home/u/下载");
    m.model.HandleMessage(kDownloadProgressMessage, 100);
    EXPECT_EQ(m.model.View().status, "更新完成，文件已保存到 /home/u/下载，程序自动关闭，请重新运行：nimbrell-2.deb");
}

TEST(UpdateDownloadTest, RefusedNamesFailWithoutADownload)
{
    TempDirectory root;
    std::filesystem::create_directory(root / "target");
    for (const std::string& name : std::vector<std::string> { "../x", "/etc/x", "a/b", "", ".", "..", std::string(300, 'n'), "nimbrell", ".bashrc", "x\u202etxt.bin" }) {
        UpdateOffer hostile = offer;
        hostile.name = name;
        RecordedModel m(hostile, DownloadFolder { root / "target", true, "nimbrell" });
        EXPECT_TRUE(m.model.DownloadPath().empty()) << name;
        m.model.PressUpdate();
        EXPECT_TRUE(m.started.empty()) << name;
        EXPECT_EQ(m.model.CurrentState(), State::Failed) << name;
        EXPECT_EQ(m.model.View().layout, Layout::Failure) << name;
        EXPECT_EQ(m.model.View().secondButtonText, "取  消") << name;
        EXPECT_EQ(m.model.View().failure, "下载失败：更新提供的文件名不能使用，请选择镜像站下载") << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(root / "target"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.Path()), {}), 1);
}

TEST(UpdateDownloadTest, FailureTextSaysWhy)
{
    struct Case {
        DownloadOutcome outcome;
        std::string text;
    } cases[] = {
        { { DownloadFailure::Connection, 0, {} }, "服务器连接失败，请选择镜像站下载" },
        { { DownloadFailure::TimedOut, 0, {} }, "下载失败：服务器响应超时，请选择镜像站下载" },
        { { DownloadFailure::HttpStatus, 503, {} }, "下载失败：服务器回答 HTTP 503，请选择镜像站下载" },
        { { DownloadFailure::HttpStatus, -1, {} }, "下载失败：服务器的回答无法读取，请选择镜像站下载" },
        { { DownloadFailure::Incomplete, 0, {} }, "下载失败：文件没有完整下载，请选择镜像站下载" },
        { { DownloadFailure::Certificate, 0, {} }, "下载失败：服务器的证书未通过验证，请选择镜像站下载" },
        { { DownloadFailure::TooLarge, 0, {} }, "下载失败：文件过大，请选择镜像站下载" },
        { { DownloadFailure::DigestMismatch, 0, {} }, "下载失败：文件校验值不符，请选择镜像站下载" },
        { { DownloadFailure::FolderNotWritable, 0, {} }, "下载失败：无法写入文件夹 /opt/nimbrell，请选择镜像站下载" },
        { { DownloadFailure::WriteFailed, 0, {} }, "下载失败：文件写入失败，请选择镜像站下载" },
    };
    for (const auto& c : cases) {
        RecordedModel m;
        EXPECT_EQ(m.model.View().failure, "服务器连接失败，请选择镜像站下载") << "the designed text until a failure";
        m.model.PressUpdate();
        m.started.at(0).outcome->Store(c.outcome);
        m.model.HandleMessage(kDownloadFailedMessage, 1);
        EXPECT_EQ(m.model.View().layout, Layout::Failure) << c.text;
        EXPECT_EQ(m.model.View().failure, c.text);
    }
}

TEST(UpdateDownloadTest, DoneTextNamesTheFileAsSaved)
{
    RecordedModel m;
    m.model.PressUpdate();
    m.model.HandleMessage(kDownloadProgressMessage, 100);
    m.started.at(0).outcome->Store({ DownloadFailure::None, 0, "nimbrell-2 (2).deb" });
    m.model.HandleMessage(kDownloadSavedMessage, 1);
    EXPECT_EQ(m.model.SavedName(), "nimbrell-2 (2).deb");
    EXPECT_EQ(m.model.View().status, "更新完成，程序自动关闭，请重新运行：nimbrell-2 (2).deb");
}

namespace {

// The update window's part in these tests: it hands the worker's messages to
// the model and keeps the last action asked of it.
class ModelWindow : public platform::Window {
public:
    ModelWindow(const UpdateOffer& offer, DownloadFolder folder, DownloadOptions options)
        : model(offer, std::move(folder), Handle(), options)
    {
    }
    UpdateDownload model;
    Action lastAction { Action::None };

protected:
    void OnMessage(platform::Message& message) override
    {
        Action action = model.HandleMessage(message.message, message.lParam);
        if (action != Action::None)
            lastAction = action;
    }
};

class UpdateDownloadEndToEndTest : public ::testing::Test {
protected:
    UpdateDownloadEndToEndTest()
    {
        for (const char* name : { "http_proxy", "HTTP_PROXY" })
            proxies.Set(name, std::nullopt);
    }

    nimbrell::testing::ScopedEnvironment proxies;
    platform::Application application { std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Manual) };
    TempDirectory folder;
    test::LoopbackHttpServer server;

    std::unique_ptr<ModelWindow> openWindow()
    {
        UpdateOffer served { server.Url("/nimbrell-2.deb"), "nimbrell-2.deb", "新版本", "" };
        DownloadOptions options;
        options.readTimeoutMs = 5000;
        return std::make_unique<ModelWindow>(served, DownloadFolder { folder.Path().string(), true }, options);
    }
};

}

TEST_F(UpdateDownloadEndToEndTest, CloseAfterDoneWaitsForTheFile)
{
    const std::string body(1000, 'd');
    server.Route("/nimbrell-2.deb", test::Reply::Ok(body));
    auto window = openWindow();
    window->model.PressUpdate();
    // One message at a time, so the press comes right after the done state.
    application.RunModal([&] {
        while (window->model.CurrentState() != State::Done && application.ProcessMessage()) { }
        return window->model.CurrentState() != State::Downloading;
    });
    ASSERT_EQ(window->model.CurrentState(), State::Done);
    Action pressed = window->model.PressSecondButton();
    if (pressed == Action::None)
        application.RunModal([&] { return window->lastAction != Action::None; });
    else
        EXPECT_TRUE(window->model.IsFileSaved());
    EXPECT_EQ(pressed == Action::None ? window->lastAction : pressed, Action::CloseWindowAndProgram);
    EXPECT_EQ(ReadFile(folder / "nimbrell-2.deb"), body) << "the program ends only with the file on disk";
}

TEST_F(UpdateDownloadEndToEndTest, CancelDuringTheDownloadLeavesTheFileComplete)
{
    const std::string body(2000, 'c');
    server.Route("/nimbrell-2.deb", test::Reply::Head(200, "OK", { "Content-Length: 2000" }).Send(body.substr(0, 1000)).Delay(300ms).Send(body.substr(1000)));
    auto window = openWindow();
    window->model.PressUpdate();
    application.RunModal([&] { return window->model.View().progress > 0; });
    ASSERT_EQ(window->model.CurrentState(), State::Downloading);
    EXPECT_EQ(window->model.PressSecondButton(), Action::CloseWindow);
    window.reset(); // the worker's later posts go nowhere

    std::string path = folder / "nimbrell-2.deb";
    nimbrell::testing::WaitFor([&] { return std::filesystem::exists(path); }, 10s);
    EXPECT_EQ(ReadFile(path), body);
}
