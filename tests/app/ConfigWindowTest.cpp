// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window on the headless back end over a real widget: its real
// settings file, the real city database it extracted and the autostart entry
// in a temporary folder, driven by presses and keys posted to its window.

#include "app/FormConfig.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "data/Autorun.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxSpinBox.h"
#include "scene/render/TvxBitmap.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/shapes/TvxRectangle.h"
#include "tests/app/WidgetFixture.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/WaitFor.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

std::vector<std::string> tags(const TvxListBox& list)
{
    std::vector<std::string> result;
    for (int i = 0; i < list.Count(); ++i)
        result.push_back(list.ItemByIndex(i)->TagString());
    return result;
}

// Every province listed, none picked, so nothing in the lists below.
void expectOnlyProvincesListed(const TFormConfig& window)
{
    ASSERT_EQ(window.ListBoxSheng->Count(), 34);
    EXPECT_EQ(window.ListBoxSheng->ItemIndex(), -1);
    EXPECT_EQ(window.ListBoxShi->Count(), 0);
    EXPECT_EQ(window.ListBoxXian->Count(), 0);
}

// A statement run on the database file through a connection of its own.
void execute(const std::string& file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    int result = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    EXPECT_EQ(result, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

class ConfigWindowTest : public nimbrell::testing::WidgetFixture {
protected:
    std::unique_ptr<TFormWeather> widget;

    void SetUp() override
    {
        WidgetFixture::SetUp();
        environment.Set("XDG_CONFIG_HOME", (temp.Path() / "config").string());
    }

    void TearDown() override
    {
        widget.reset();
        WidgetFixture::TearDown();
    }

    std::unique_ptr<TFormConfig> open()
    {
        if (!widget)
            widget = std::make_unique<TFormWeather>();
        auto window = std::make_unique<TFormConfig>(*widget);
        window->Show();
        application.ProcessMessages();
        return window;
    }

    std::string setting(const std::string& key) { return SettingsFile(settingsPath).ReadString("CONFIG", key, "(missing)"); }

    void post(TFormConfig& window, std::uint32_t message, platform::WPARAM wParam, float x, float y)
    {
        platform::PostMessage(window.Handle(), message, wParam, platform::MakePointParam(int(x), int(y)));
    }

    void click(TFormConfig& window, float x, float y)
    {
        using namespace platform;
        post(window, WM_MOUSEMOVE, 0, x, y);
        post(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        post(window, WM_LBUTTONUP, 0, x, y);
        application.ProcessMessages();
    }

    void click(TFormConfig& window, TvxVisualObject* object)
    {
        TvxRect r = object->AbsoluteRect();
        click(window, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }

    // The row of a list, clicked in its middle.
    void pick(TFormConfig& window, TvxListBox* list, int index)
    {
        ASSERT_LT(index, list->Count());
        click(window, list->ItemByIndex(index));
    }

    void key(TFormConfig& window, int code)
    {
        platform::PostMessage(window.Handle(), platform::WM_KEYDOWN, static_cast<platform::WPARAM>(code), 0);
        application.ProcessMessages();
    }

    void type(TFormConfig& window, std::u32string_view text)
    {
        for (char32_t character : text)
            platform::PostMessage(window.Handle(), platform::WM_CHAR, character, 0);
        application.ProcessMessages();
    }

    // The spin box's plus and minus buttons sit at its ends.
    void step(TFormConfig& window, TvxSpinBox* box, bool up)
    {
        TvxRect r = box->AbsoluteRect();
        click(window, up ? r.Right - 10 : r.Left + 10, (r.Top + r.Bottom) / 2);
    }
};

}

TEST_F(ConfigWindowTest, OpeningReadsTheSettingsAndCancelWritesNothingNotEvenTheAutostartEntry)
{
    writeSettings("autoRun=0\nwinSize=7\nwinOpacity=4\ncity=哈尔滨\ncityCode=101050101\n");
    std::string before = ReadFile(settingsPath);
    auto window = open();
    EXPECT_TRUE(backend->MessageBoxes().empty());

    EXPECT_FALSE(std::filesystem::exists(AutorunEntryPath())) << "opening leaves the autostart entry alone";
    EXPECT_FALSE(window->isAutoRun->IsChecked());
    EXPECT_EQ(window->winSize->Value(), 7);
    EXPECT_EQ(window->winOpacity->Value(), 4);
    EXPECT_FLOAT_EQ(widget->SceneScale(), 0.7f) << "the boxes' values fire no preview";
    EXPECT_EQ(window->TextBox_area->Text(), "哈尔滨");
    EXPECT_EQ(window->TextBox_area->TagString(), "101050101");

    ASSERT_NO_FATAL_FAILURE(expectOnlyProvincesListed(*window));
    EXPECT_EQ(window->ListBoxSheng->ItemByIndex(4)->Text(), "辽宁");
    EXPECT_EQ(window->ListBoxSheng->ItemByIndex(4)->TagString(), "07");

    // Ticking the box and cancelling changes nothing either.
    click(*window, window->isAutoRun);
    ASSERT_TRUE(window->isAutoRun->IsChecked());
    click(*window, window->Button2);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(ReadFile(settingsPath), before);
    EXPECT_FALSE(std::filesystem::exists(AutorunEntryPath()));

    // An entry the user has stays exactly as it is through opening and closing,
    // also where the file says autoRun=0.
    std::filesystem::create_directories(std::filesystem::path(AutorunEntryPath()).parent_path());
    WriteFile(AutorunEntryPath(), "[Desktop Entry]\nExec=somewhere else\n");
    window = open();
    click(*window, window->CloseButton1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(ReadFile(AutorunEntryPath()), "[Desktop Entry]\nExec=somewhere else\n");
}

TEST_F(ConfigWindowTest, TheModeAndIntervalListsFollowTheFileAndOpeningChangesNoMode)
{
    struct Case {
        const char* lines;
        int mode, interval;
        const char* widgetMode;
    };
    const Case cases[] = {
        { "showMore=2\nupdateInterval=0\n", 2, 0, "2" },
        { "showMore=1\nupdateInterval=1\n", 1, 1, "1" },
        { "", 0, 2, "0" },
        // A mode the widget counts as "never" shows as 从不; an interval index
        // that names no item falls back to the default.
        { "showMore=7\nupdateInterval=5\n", 3, 2, "7" },
        { "showMore=-1\nupdateInterval=abc\n", 3, 2, "-1" },
        { "showMore=02\n", 3, 2, "02" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        widget.reset();
        writeSettings(c.lines);
        widget = std::make_unique<TFormWeather>();
        // The window must leave the panel as it finds it, shown or not.
        for (bool panel : { false, true }) {
            widget->SetPanelVisible(panel);
            auto window = open();
            EXPECT_EQ(window->showMore->ItemIndex(), c.mode);
            EXPECT_EQ(window->showMore->ListBox()->Selected()->Text(), window->showMore->Items().Line(c.mode));
            EXPECT_EQ(window->updateInterval->ItemIndex(), c.interval);
            EXPECT_EQ(State().ShowMoreMode, c.widgetMode) << "no preview before a pick";
            EXPECT_EQ(widget->Widget().RectangleMore->Visible(), panel);
            click(*window, window->Button2);
            EXPECT_EQ(State().ShowMoreMode, c.widgetMode) << "nor after cancelling";
        }
    }
    // A pick is previewed at once.
    auto window = open();
    window->showMore->SetItemIndex(3);
    EXPECT_EQ(State().ShowMoreMode, "3");
    window->showMore->SetItemIndex(2);
    EXPECT_EQ(State().ShowMoreMode, "2");
    EXPECT_TRUE(widget->Widget().RectangleMore->Visible());
}

TEST_F(ConfigWindowTest, FirstOpeningShowsTheDefaults)
{
    auto window = open();
    EXPECT_FALSE(window->isAutoRun->IsChecked());
    EXPECT_EQ(window->winSize->Text(), "10");
    EXPECT_EQ(window->winOpacity->Text(), "10");
    EXPECT_EQ(window->TextBox_area->Text(), "北京");
    EXPECT_EQ(window->TextBox_area->TagString(), "101010100");
    // The close button closes the window without writing.
    click(*window, window->CloseButton1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(ConfigWindowTest, PickingProvinceCityAndCountyCascadesAndChangesTheCityCodeAtOnce)
{
    auto window = open();
    std::string cityCode = State().CityCode;

    pick(*window, window->ListBoxSheng, 0); // 北京
    ASSERT_EQ(window->ListBoxShi->Count(), 15);
    EXPECT_EQ(window->ListBoxShi->ItemByIndex(0)->Text(), "北京");
    EXPECT_EQ(tags(*window->ListBoxShi).front(), "101010100");
    EXPECT_EQ(tags(*window->ListBoxShi).back(), "101011500");

    pick(*window, window->ListBoxSheng, 4); // 辽宁
    pick(*window, window->ListBoxShi, 0);   // 沈阳
    EXPECT_EQ(window->TextBox_area->Text(), "沈阳");
    ASSERT_GT(window->ListBoxXian->Count(), 0);

    // A key moves the selection on to 黑龙江: the list reports the move twice,
    // first with nothing selected.
    pick(*window, window->ListBoxSheng, 4); // focus back, no change
    key(*window, platform::VK_DOWN);
    ASSERT_EQ(window->ListBoxSheng->ItemIndex(), 5);
    EXPECT_EQ(window->ListBoxSheng->Selected()->Text(), "黑龙江");
    ASSERT_GT(window->ListBoxShi->Count(), 0);
    EXPECT_EQ(window->ListBoxShi->ItemByIndex(0)->Text(), "哈尔滨");
    EXPECT_EQ(window->ListBoxXian->Count(), 0) << "a province empties the county list";
    EXPECT_EQ(window->TextBox_area->Text(), "沈阳") << "and leaves the shown place";

    pick(*window, window->ListBoxShi, 0); // 哈尔滨
    EXPECT_EQ(window->TextBox_area->Text(), "哈尔滨");
    EXPECT_EQ(State().CityCode, "101050101");
    std::vector<std::string> counties = tags(*window->ListBoxXian);
    for (const char* code : { "101050102", "101050109", "101050110", "101050111", "101050112", "101050113" })
        EXPECT_NE(std::find(counties.begin(), counties.end(), code), counties.end()) << code;

    pick(*window, window->ListBoxXian, 1);
    EXPECT_EQ(window->TextBox_area->Text(), window->ListBoxXian->ItemByIndex(1)->Text());
    EXPECT_EQ(State().CityCode, window->ListBoxXian->ItemByIndex(1)->TagString());

    // Cancelled, the pick still stands for the widget's next request.
    click(*window, window->Button2);
    EXPECT_NE(State().CityCode, cityCode);
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(ConfigWindowTest, TheNextWeatherRequestAsksForAPlacePickedInACancelledWindow)
{
    test::LoopbackHttpServer server;
    State().Hosts.weather = server.HostPort();
    auto window = open();
    pick(*window, window->ListBoxSheng, 0);
    pick(*window, window->ListBoxShi, 1); // 海淀
    click(*window, window->Button2);
    ASSERT_TRUE(window->IsClosed());

    widget->getWeather();
    auto asked = [&] {
        for (const auto& request : server.Requests()) {
            if (request.target == "/data/101010200.html")
                return true;
        }
        return false;
    };
    EXPECT_TRUE(nimbrell::testing::WaitFor(asked, nimbrell::testing::Pump::Queue));
}

TEST_F(ConfigWindowTest, DraggingDownTheProvinceListRefillsTheCitiesForEachProvincePassed)
{
    auto window = open();
    std::vector<std::string> firstCities;
    TvxRect first = window->ListBoxSheng->ItemByIndex(0)->AbsoluteRect();
    float x = (first.Left + first.Right) / 2;
    float rowHeight = first.Bottom - first.Top;
    using namespace platform;
    post(*window, WM_MOUSEMOVE, 0, x, first.Top + rowHeight / 2);
    post(*window, WM_LBUTTONDOWN, MK_LBUTTON, x, first.Top + rowHeight / 2);
    application.ProcessMessages();
    for (int row = 0; row < 4; ++row) {
        post(*window, WM_MOUSEMOVE, MK_LBUTTON, x, first.Top + rowHeight * (float(row) + 0.5f));
        application.ProcessMessages();
        ASSERT_GT(window->ListBoxShi->Count(), 0);
        firstCities.push_back(window->ListBoxShi->ItemByIndex(0)->Text());
    }
    post(*window, WM_LBUTTONUP, 0, x, first.Top + rowHeight * 3.5f);
    application.ProcessMessages();
    EXPECT_EQ(firstCities, (std::vector<std::string> { "北京", "上海", "天津", "重庆" }));
}

TEST_F(ConfigWindowTest, ScaleAndOpacityPreviewOnTheWidgetAndStayAfterCancelling)
{
    auto window = open();
    step(*window, window->winSize, true);
    EXPECT_EQ(window->winSize->Value(), 11);
    EXPECT_FLOAT_EQ(widget->Widget().Root1->Scale().X(), 1.1f);
    EXPECT_FLOAT_EQ(widget->Widget().Root1->Scale().Y(), 1.1f);
    step(*window, window->winOpacity, false);
    step(*window, window->winOpacity, false);
    EXPECT_FLOAT_EQ(widget->Widget().Root1->Opacity(), 0.8f);

    click(*window, window->Button2);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_FLOAT_EQ(widget->Widget().Root1->Scale().X(), 1.1f);
    EXPECT_FLOAT_EQ(widget->Widget().Root1->Opacity(), 0.8f);
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(ConfigWindowTest, SavingWritesEveryKeyAndAsksForTheWeather)
{
    // The weather answers only after the test: its outcome would re-arm the timer.
    test::LoopbackHttpServer server;
    server.SetHandler([](const test::ReceivedRequest&) { return test::Reply::Head(200, "OK").Stall(); });
    State().Hosts.weather = server.HostPort();
    auto window = open();
    pick(*window, window->ListBoxSheng, 0);
    pick(*window, window->ListBoxShi, 1); // 海淀
    click(*window, window->isAutoRun);
    ASSERT_TRUE(window->isAutoRun->IsChecked());
    step(*window, window->winOpacity, false);
    window->updateInterval->SetItemIndex(1); // 间隔120
    window->showMore->SetItemIndex(3);
    EXPECT_EQ(State().ShowMoreMode, "3") << "the mode changes at once";
    auto requests = widget->WeatherRequestNumber();

    click(*window, window->Button1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_TRUE(backend->MessageBoxes().empty());
    EXPECT_EQ(widget->RefreshTimer().Interval(), 7'200'000u);
    EXPECT_EQ(setting("updateInterval"), "1");
    EXPECT_EQ(setting("showMore"), "3");
    EXPECT_EQ(setting("autoRun"), "1");
    EXPECT_EQ(setting("winSize"), "10");
    EXPECT_EQ(setting("winOpacity"), "9");
    EXPECT_EQ(setting("city"), "海淀");
    EXPECT_EQ(setting("cityCode"), "101010200");
    EXPECT_TRUE(std::filesystem::exists(AutorunEntryPath()));
    EXPECT_EQ(widget->WeatherRequestNumber(), requests + 1);
}

TEST_F(ConfigWindowTest, SavingUncheckedRemovesTheAutostartEntry)
{
    writeSettings("autoRun=1\n");
    std::filesystem::create_directories(std::filesystem::path(AutorunEntryPath()).parent_path());
    WriteFile(AutorunEntryPath(), "[Desktop Entry]\n");
    auto window = open();
    ASSERT_TRUE(window->isAutoRun->IsChecked());
    click(*window, window->isAutoRun);
    click(*window, window->Button1);
    EXPECT_EQ(setting("autoRun"), "0");
    EXPECT_FALSE(std::filesystem::exists(AutorunEntryPath()));
}

TEST_F(ConfigWindowTest, TypedScaleIsCommittedAndClampedWhenSaveTakesTheFocus)
{
    auto window = open();
    click(*window, window->winSize);
    key(*window, platform::VK_END);
    key(*window, platform::VK_BACK);
    key(*window, platform::VK_BACK);
    type(*window, U"25");
    ASSERT_EQ(window->winSize->Text(), "25");
    click(*window, window->Button1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(setting("winSize"), "20");
}

TEST_F(ConfigWindowTest, AFailedWriteStopsTheSaveAndKeepsTheWindowOpen)
{
    auto window = open();
    pick(*window, window->ListBoxSheng, 0);
    pick(*window, window->ListBoxShi, 1);
    auto requests = widget->WeatherRequestNumber();
    // A folder where the file should be: no write can replace it.
    std::filesystem::create_directories(settingsPath);

    click(*window, window->Button1);
    EXPECT_FALSE(window->IsClosed());
    ASSERT_EQ(backend->MessageBoxes().size(), 1u);
    EXPECT_EQ(backend->MessageBoxes()[0].text, "无法写入设置文件 " + settingsPath);
    EXPECT_EQ(backend->MessageBoxes()[0].caption, kApplicationTitle);
    EXPECT_EQ(widget->WeatherRequestNumber(), requests) << "the save stopped before asking for the weather";
    EXPECT_TRUE(std::filesystem::is_directory(settingsPath));

    // Once the file can be written, the same window saves.
    std::filesystem::remove(settingsPath);
    click(*window, window->Button1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(setting("city"), "海淀");
}

TEST_F(ConfigWindowTest, TheSettingsCommandOpensOneWindowAtATimeAndFreesIt)
{
    widget = std::make_unique<TFormWeather>();
    int opened = 0;
    TFormConfig* seen = nullptr;
    widget->OnSettingsWindowOpened = [&](TFormConfig& window) {
        ++opened;
        seen = &window;
        EXPECT_EQ(widget->SettingsWindow(), &window);
        // The cancel button, pressed once the modal loop runs; meanwhile the
        // command does not open a second window.
        TvxRect r = window.Button2->AbsoluteRect();
        float x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        using namespace platform;
        PostMessage(window.Handle(), WM_MOUSEMOVE, 0, MakePointParam(int(x), int(y)));
        PostMessage(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(int(x), int(y)));
        PostMessage(window.Handle(), WM_LBUTTONUP, 0, MakePointParam(int(x), int(y)));
        widget->Widget().N5->OnClick();
    };
    widget->Widget().N5->OnClick();
    EXPECT_EQ(opened, 1);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(widget->SettingsWindow(), nullptr) << "freed when it closes";
}

TEST_F(ConfigWindowTest, TheWindowAsItOpens)
{
    writeSettings("autoRun=1\nshowMore=1\nupdateInterval=0\nwinSize=12\nwinOpacity=9\ncity=哈尔滨\ncityCode=101050101\n");
    auto window = open();
    // The check box's animation runs to its end.
    for (int i = 0; i < 40; ++i) {
        backend->AdvanceClock(33);
        application.ProcessMessages();
    }
    window->Scene().DrawAll();
    TvxBitmap painted;
    painted.Assign(window->Scene().Buffer());
    nimbrell::testing::ExpectLikeReference(painted, std::filesystem::path(NIMBRELL_GOLDEN_DIR) / "config-open.png", 3);
}

TEST_F(ConfigWindowTest, AnUnreadableDatabaseIsReportedAndTheWindowStillOpens)
{
    widget = std::make_unique<TFormWeather>();
    std::string missing = (temp.Path() / "gone.db").string();
    State().Database = std::make_unique<CityDatabase>(missing);
    auto window = open();
    ASSERT_EQ(backend->MessageBoxes().size(), 1u);
    EXPECT_EQ(backend->MessageBoxes()[0].text, "Cannot open file " + missing);
    EXPECT_FALSE(window->IsClosed());
    EXPECT_EQ(window->ListBoxSheng->Count(), 0);
    click(*window, window->Button2);
    EXPECT_TRUE(window->IsClosed());
}

TEST_F(ConfigWindowTest, AStoredCityCodeInNoListOpensSavesAndCancelsSoundly)
{
    for (const char* code : { "999", "abc", "", "1\" or \"1\"=\"1" }) {
        SCOPED_TRACE(code);
        widget.reset();
        writeSettings(std::string("city=某地\ncityCode=") + code + "\n");
        std::string before = ReadFile(settingsPath);
        auto window = open();
        EXPECT_TRUE(backend->MessageBoxes().empty());
        EXPECT_EQ(window->TextBox_area->Text(), "某地");
        expectOnlyProvincesListed(*window);
        click(*window, window->Button2);
        EXPECT_TRUE(window->IsClosed());
        EXPECT_EQ(ReadFile(settingsPath), before);

        // Saved untouched, the stored place stays as it was.
        window = open();
        click(*window, window->Button1);
        EXPECT_TRUE(window->IsClosed());
        EXPECT_TRUE(backend->MessageBoxes().empty());
        EXPECT_EQ(setting("city"), "某地");
        EXPECT_EQ(setting("cityCode"), code);

        // A place picked from the lists replaces it.
        window = open();
        pick(*window, window->ListBoxSheng, 0);
        pick(*window, window->ListBoxShi, 1); // 海淀
        click(*window, window->Button1);
        EXPECT_EQ(setting("city"), "海淀");
        EXPECT_EQ(setting("cityCode"), "101010200");
    }
}

TEST_F(ConfigWindowTest, ADatabaseWithoutCountiesLeavesTheCountyListEmptyAndSaves)
{
    widget = std::make_unique<TFormWeather>();
    // The widget extracted its own copy into the test's folder.
    execute(State().Database->FileName(), "delete from T_weather where flag=\"3\"");
    auto window = open();
    EXPECT_TRUE(backend->MessageBoxes().empty());
    pick(*window, window->ListBoxSheng, 4); // 辽宁
    pick(*window, window->ListBoxShi, 0);   // 沈阳
    EXPECT_EQ(window->ListBoxXian->Count(), 0);
    EXPECT_EQ(window->TextBox_area->Text(), "沈阳");
    EXPECT_TRUE(backend->MessageBoxes().empty());

    // Still usable: another city, then save.
    ASSERT_GT(window->ListBoxShi->Count(), 1);
    pick(*window, window->ListBoxShi, 1);
    EXPECT_EQ(window->ListBoxXian->Count(), 0);
    std::string city = window->ListBoxShi->ItemByIndex(1)->Text();
    std::string code = window->ListBoxShi->ItemByIndex(1)->TagString();
    click(*window, window->Button1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(setting("city"), city);
    EXPECT_EQ(setting("cityCode"), code);
    EXPECT_EQ(setting("winSize"), "10");
}

TEST_F(ConfigWindowTest, APlaceTableDroppedWhileTheWindowIsOpenIsReportedAndTheWindowStaysUsable)
{
    auto window = open();
    ASSERT_EQ(window->ListBoxSheng->Count(), 34);
    execute(State().Database->FileName(), "drop table T_weather");
    pick(*window, window->ListBoxSheng, 0);
    ASSERT_EQ(backend->MessageBoxes().size(), 1u);
    EXPECT_NE(backend->MessageBoxes()[0].text.find("T_weather"), std::string::npos) << backend->MessageBoxes()[0].text;
    EXPECT_EQ(window->ListBoxShi->Count(), 0);
    EXPECT_FALSE(window->IsClosed());

    click(*window, window->Button1);
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(setting("city"), "北京");
    EXPECT_EQ(setting("cityCode"), "101010100");
}

TEST_F(ConfigWindowTest, ThePlaceBoxFindsPlacesAndAPickMovesTheListsAsAClickWould)
{
    auto window = open();
    ASSERT_FALSE(window->ListBoxSearch->Visible());
    click(*window, window->TextBox_area);
    key(*window, platform::VK_END);
    for (int i = 0; i < 4; ++i)
        key(*window, platform::VK_BACK);
    ASSERT_EQ(window->TextBox_area->Text(), "");
    EXPECT_FALSE(window->ListBoxSearch->Visible()) << "nothing typed, nothing offered";

    auto offered = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < window->ListBoxSearch->Count(); ++i)
            texts.push_back(window->ListBoxSearch->ItemByIndex(i)->Text());
        return texts;
    };
    type(*window, U"lvliang");
    ASSERT_TRUE(window->ListBoxSearch->Visible());
    ASSERT_FALSE(offered().empty());
    EXPECT_EQ(offered()[0], "吕梁 · 山西");

    // Escape closes the list and the box shows the place the lists stand on.
    key(*window, platform::VK_ESCAPE);
    EXPECT_FALSE(window->ListBoxSearch->Visible());
    EXPECT_EQ(window->TextBox_area->Text(), "北京");
    EXPECT_FALSE(window->IsClosed()) << "Escape closed the list, not the window";

    // Initials, the first match taken with Enter: a city.
    window->TextBox_area->SetText("");
    type(*window, U"heb");
    ASSERT_TRUE(window->ListBoxSearch->Visible());
    EXPECT_EQ(offered()[0], "哈尔滨 · 黑龙江");
    EXPECT_LE(window->ListBoxSearch->Count(), 8);
    EXPECT_LT(window->ListBoxSearch->AbsoluteRect().Bottom, window->TextBox_area->AbsoluteRect().Top);
    key(*window, platform::VK_RETURN);
    EXPECT_FALSE(window->ListBoxSearch->Visible());
    ASSERT_NE(window->ListBoxSheng->Selected(), nullptr);
    EXPECT_EQ(window->ListBoxSheng->Selected()->Text(), "黑龙江");
    ASSERT_NE(window->ListBoxShi->Selected(), nullptr);
    EXPECT_EQ(window->ListBoxShi->Selected()->TagString(), "101050101");
    EXPECT_EQ(window->ListBoxXian->ItemIndex(), -1);
    EXPECT_EQ(tags(*window->ListBoxXian).front().substr(0, 7), "1010501") << "the city's counties are listed";
    EXPECT_EQ(window->TextBox_area->Text(), "哈尔滨");
    EXPECT_EQ(State().CityCode, "101050101");

    // ↓ and ↑ move through the matches; a click on one picks it: a county far down its lists.
    window->TextBox_area->SetText("");
    type(*window, U"ha");
    ASSERT_GE(window->ListBoxSearch->Count(), 3);
    key(*window, platform::VK_DOWN);
    key(*window, platform::VK_DOWN);
    key(*window, platform::VK_UP);
    EXPECT_EQ(window->ListBoxSearch->ItemIndex(), 1);
    window->TextBox_area->SetText("");
    type(*window, U"木兰");
    ASSERT_EQ(offered(), std::vector<std::string> { "木兰 · 哈尔滨" });
    click(*window, window->ListBoxSearch->ItemByIndex(0));
    EXPECT_FALSE(window->ListBoxSearch->Visible());
    ASSERT_NE(window->ListBoxXian->Selected(), nullptr);
    EXPECT_EQ(window->ListBoxXian->Selected()->Text(), "木兰");
    EXPECT_EQ(State().CityCode, "101050113");

    // Typing without a pick saves the place the lists stand on.
    window->TextBox_area->SetText("");
    type(*window, U"zzz");
    EXPECT_FALSE(window->ListBoxSearch->Visible());
    click(*window, window->Button1);
    EXPECT_EQ(setting("city"), "木兰");
    EXPECT_EQ(setting("cityCode"), "101050113");
}
