#include "app/FormConfig.h"

#include "app/CityLists.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "app/StoredWindow.h"
#include "base/Text.h"
#include "data/Autorun.h"
#include "platform/Application.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxSpinBox.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace nimbrell {

namespace {

CityDatabase& database()
{
    if (!State().Database)
        throw std::runtime_error("The city database is not open");
    return *State().Database;
}

SettingsFile& settings()
{
    if (!State().Settings)
        throw std::runtime_error("The settings file is not open");
    return *State().Settings;
}

// The item a list's change handler acts on: none while the list has no
// selection, which it reports first whenever the selection moves.
TvxListBoxItem* picked(TvxListBox& list)
{
    return list.ItemIndex() < 0 ? nullptr : list.Selected();
}

// A stored item index, or the default when it names no item of the list.
int storedIndex(const SettingsFile& file, const char* key, int fallback, const TvxStringComboBox& list)
{
    int index = file.ReadInteger(kSettingsSection, key, fallback);
    return index >= 0 && index < list.Items().Count() ? index : fallback;
}

// The refresh interval an interval item names ("间隔120": 120 minutes), in
// milliseconds; nothing for a text without a number of minutes.
std::optional<std::uint32_t> intervalOf(const std::string& item)
{
    std::string minutes = item;
    for (std::size_t at; (at = minutes.find("间隔")) != std::string::npos;)
        minutes.erase(at, std::string("间隔").size());
    std::optional<int> value = ParseDecimalInt(minutes);
    if (!value || *value <= 0 || *value > 24 * 60)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value) * 60000u;
}

}

TFormConfig::TFormConfig(TFormWeather& widget, Options options)
    : SceneWindow(ClientWidth, ClientHeight)
    , m_widget(widget)
    , m_options(options)
{
    // The window stays where it opens.
    SetTag(NoDragTag);
    m_design = ReadStoredWindow("FormConfig", Scene());
    const TvxForm& design = *m_design;
    isAutoRun = StoredElement<TvxCheckBox>(design, "isAutoRun");
    showMore = StoredElement<TvxStringComboBox>(design, "showMore");
    updateInterval = StoredElement<TvxStringComboBox>(design, "updateInterval");
    winSize = StoredElement<TvxSpinBox>(design, "winSize");
    winOpacity = StoredElement<TvxSpinBox>(design, "winOpacity");
    ListBoxSheng = StoredElement<TvxListBox>(design, "ListBoxSheng");
    ListBoxShi = StoredElement<TvxListBox>(design, "ListBoxShi");
    ListBoxXian = StoredElement<TvxListBox>(design, "ListBoxXian");
    TextBox_area = StoredElement<TvxTextBox>(design, "TextBox_area");
    Button1 = StoredElement<TvxButton>(design, "Button1");
    Button2 = StoredElement<TvxButton>(design, "Button2");
    CloseButton1 = StoredElement<TvxCloseButton>(design, "CloseButton1");

    showMore->OnChange.Set([this](TvxObject*) { showMoreChange(); });
    winSize->OnChange.Set([this](TvxObject*) { winSizeChange(); });
    winOpacity->OnChange.Set([this](TvxObject*) { winOpacityChange(); });
    ListBoxSheng->OnChange.Set([this](TvxObject*) { ListBoxShengChange(); });
    ListBoxShi->OnChange.Set([this](TvxObject*) { ListBoxShiChange(); });
    ListBoxXian->OnChange.Set([this](TvxObject*) { ListBoxXianChange(); });
    Button1->OnClick.Set([this](TvxObject*) { Button1Click(); });
    Button2->OnClick.Set([this](TvxObject*) { Scene().CloseForm(); });

    try {
        FormCreate();
    } catch (const std::exception& error) {
        platform::Application::Instance().ShowException(error);
    }
    CentreOnMonitor(*this, ClientWidth, ClientHeight);
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::FormCreate()
{
    if (m_options.touchAutorun)
        WriteAutorun();
    SettingsFile& file = settings();
    isAutoRun->SetIsChecked(file.ReadBool(kSettingsSection, "autoRun", false));
    // The mode list reports this write like a pick: the panel follows the stored mode.
    showMore->SetItemIndex(storedIndex(file, "showMore", 0, *showMore));
    updateInterval->SetItemIndex(storedIndex(file, "updateInterval", 2, *updateInterval));
    // Spin box values are written without a change report.
    winSize->SetValue(file.ReadInteger(kSettingsSection, "winSize", 10));
    winOpacity->SetValue(file.ReadInteger(kSettingsSection, "winOpacity", 10));
    TextBox_area->SetText(file.ReadString(kSettingsSection, "city", "北京"));
    TextBox_area->SetTagString(file.ReadString(kSettingsSection, "cityCode", "101010100"));
    FillListFromQuery(*ListBoxSheng, database(), ProvinceQuery());
}

void TFormConfig::WriteAutorun()
{
    // Failures are silent: the entry is a convenience.
    if (isAutoRun->IsChecked())
        SetRunValue(ProgramPath());
    else
        DeleteRunValue();
}

void TFormConfig::showMoreChange()
{
    State().ShowMoreMode = std::to_string(showMore->ItemIndex());
    m_widget.SetPanelVisible(false);
    if (State().ShowMoreMode == "2")
        m_widget.SetPanelVisible(true);
}

void TFormConfig::winSizeChange()
{
    m_widget.SetSceneScale(static_cast<int>(winSize->Value()));
}

void TFormConfig::winOpacityChange()
{
    m_widget.SetSceneOpacity(static_cast<int>(winOpacity->Value()));
}

void TFormConfig::ListBoxShengChange()
{
    TvxListBoxItem* province = picked(*ListBoxSheng);
    if (!province)
        return;
    FillListFromQuery(*ListBoxShi, database(), CityQuery(province->TagString()));
    ListBoxXian->Clear();
}

void TFormConfig::ListBoxShiChange()
{
    TvxListBoxItem* city = picked(*ListBoxShi);
    if (!city)
        return;
    FillListFromQuery(*ListBoxXian, database(), CountyQuery(city->TagString()));
    TextBox_area->SetText(city->Text());
    State().CityCode = city->TagString();
}

void TFormConfig::ListBoxXianChange()
{
    TvxListBoxItem* county = picked(*ListBoxXian);
    if (!county)
        return;
    TextBox_area->SetText(county->Text());
    State().CityCode = county->TagString();
}

void TFormConfig::Button1Click()
{
    // A write that fails changes nothing and keeps the window open.
    try {
        Save();
    } catch (const std::exception& error) {
        platform::Application::Instance().ShowException(error);
        return;
    }
    Scene().CloseForm();
}

void TFormConfig::Save()
{
    // Every key in one replace of the file, so that a kill or a power cut
    // never leaves, say, `city` and `cityCode` disagreeing.
    settings().WriteValues(kSettingsSection,
        {
            { "autoRun", isAutoRun->IsChecked() ? "1" : "0" },
            { "updateInterval", std::to_string(updateInterval->ItemIndex()) },
            { "showMore", std::to_string(showMore->ItemIndex()) },
            { "winSize", winSize->Text() },
            { "winOpacity", winOpacity->Text() },
            { "city", TextBox_area->Text() },
            { "cityCode", State().CityCode },
        });
    WriteAutorun();
    int interval = updateInterval->ItemIndex();
    if (interval >= 0 && interval < updateInterval->Items().Count()) {
        if (auto milliseconds = intervalOf(updateInterval->Items().Line(interval)))
            m_widget.SetRefreshInterval(*milliseconds);
    }
    m_widget.getWeather();
}

}
