// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormConfig.h"

#include "app/CityLists.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "app/StoredWindow.h"
#include "base/Text.h"
#include "data/Autorun.h"
#include "platform/Application.h"
#include "platform/Message.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxSpinBox.h"

#include <algorithm>
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

constexpr std::size_t kSearchMatches = 8;
// The list's frame around its rows, and the room between it and the box.
constexpr float kSearchFrame = 4;
constexpr float kSearchGap = 2;

// The mode list's item for a stored mode: the widget counts any text but "0",
// "1" and "2" as "never", the last item.
int showMoreIndex(const std::string& stored)
{
    for (int mode = 0; mode < 3; ++mode) {
        if (stored == std::to_string(mode))
            return mode;
    }
    return 3;
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

TFormConfig::TFormConfig(TFormWeather& widget)
    : SceneWindow(ClientWidth, ClientHeight)
    , m_widget(widget)
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
    ListBoxSearch = StoredElement<TvxListBox>(design, "ListBoxSearch");
    Button1 = StoredElement<TvxButton>(design, "Button1");
    Button2 = StoredElement<TvxButton>(design, "Button2");
    CloseButton1 = StoredElement<TvxCloseButton>(design, "CloseButton1");

    winSize->OnChange.Set([this](TvxObject*) { winSizeChange(); });
    winOpacity->OnChange.Set([this](TvxObject*) { winOpacityChange(); });
    ListBoxSheng->OnChange.Set([this](TvxObject*) { ListBoxShengChange(); });
    ListBoxShi->OnChange.Set([this](TvxObject*) { ListBoxShiChange(); });
    ListBoxXian->OnChange.Set([this](TvxObject*) { ListBoxXianChange(); });
    TextBox_area->OnTyping.Set([this](TvxObject*) { SearchTyped(); });
    TextBox_area->OnKeyDown.Set([this](TvxObject*, int& key, char32_t&, TvxShiftState) { SearchKey(key); });
    Button1->OnClick.Set([this](TvxObject*) { Button1Click(); });
    Button2->OnClick.Set([this](TvxObject*) { Scene().CloseForm(); });

    try {
        FormCreate();
    } catch (const std::exception& error) {
        platform::Application::Instance().ShowException(error);
    }
    // Only the user's picks: the widget already shows the stored mode.
    showMore->OnChange.Set([this](TvxObject*) { showMoreChange(); });
    CentreOnMonitor(*this, ClientWidth, ClientHeight);
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::FormCreate()
{
    SettingsFile& file = settings();
    isAutoRun->SetIsChecked(file.ReadBool(kSettingsSection, "autoRun", false));
    showMore->SetItemIndex(showMoreIndex(file.ReadString(kSettingsSection, "showMore", "0")));
    updateInterval->SetItemIndex(storedIndex(file, "updateInterval", 2, *updateInterval));
    // Spin box values are written without a change report.
    winSize->SetValue(file.ReadInteger(kSettingsSection, "winSize", 10));
    winOpacity->SetValue(file.ReadInteger(kSettingsSection, "winOpacity", 10));
    m_placeName = file.ReadString(kSettingsSection, "city", "北京");
    TextBox_area->SetText(m_placeName);
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
    m_placeName = city->Text();
    TextBox_area->SetText(m_placeName);
    State().CityCode = city->TagString();
}

void TFormConfig::ListBoxXianChange()
{
    TvxListBoxItem* county = picked(*ListBoxXian);
    if (!county)
        return;
    m_placeName = county->Text();
    TextBox_area->SetText(m_placeName);
    State().CityCode = county->TagString();
}

void TFormConfig::SearchTyped()
{
    if (!m_search)
        m_search = PlaceSearch::FromDatabase(database());
    std::vector<PlaceMatch> matches = m_search->Find(TextBox_area->Text(), kSearchMatches);
    if (matches.empty()) {
        ListBoxSearch->SetVisible(false);
        return;
    }
    ListBoxSearch->BeginUpdate();
    ListBoxSearch->Clear();
    for (const PlaceMatch& match : matches) {
        AddListItem(*ListBoxSearch, match.shown, match.code);
        std::string code = match.code;
        ListBoxSearch->ItemByIndex(ListBoxSearch->Count() - 1)->OnClick.Set([this, code](TvxObject*) { PickPlace(code); });
    }
    ListBoxSearch->EndUpdate();
    // The list opens upwards over the place lists: the window ends below the box.
    float height = static_cast<float>(matches.size()) * ListBoxSearch->ItemHeight() + kSearchFrame;
    ListBoxSearch->SetHeight(height);
    ListBoxSearch->Position().SetY(TextBox_area->Position().Y() - kSearchGap - height);
    ListBoxSearch->SetItemIndex(0);
    ListBoxSearch->SetVisible(true);
}

void TFormConfig::SearchKey(int& key)
{
    if (!ListBoxSearch->Visible())
        return;
    int index = ListBoxSearch->ItemIndex();
    switch (key) {
    case platform::VK_DOWN:
        ListBoxSearch->SetItemIndex(std::min(index + 1, ListBoxSearch->Count() - 1));
        break;
    case platform::VK_UP:
        ListBoxSearch->SetItemIndex(std::max(index - 1, 0));
        break;
    case platform::VK_RETURN:
        if (TvxListBoxItem* match = picked(*ListBoxSearch))
            PickPlace(match->TagString());
        break;
    case platform::VK_ESCAPE:
        CloseSearch();
        break;
    default:
        return;
    }
    key = 0;
}

void TFormConfig::CloseSearch()
{
    ListBoxSearch->SetVisible(false);
    TextBox_area->SetText(m_placeName);
}

void TFormConfig::PickPlace(const std::string& code)
{
    // Each list is moved off and back onto its row, so its change runs even
    // when the row was selected already.
    auto select = [](TvxListBox& list, auto matches) {
        for (int i = 0; i < list.Count(); ++i) {
            if (matches(list.ItemByIndex(i)->TagString())) {
                list.SetItemIndex(-1);
                list.SetItemIndex(i);
                return true;
            }
        }
        return false;
    };
    std::string province = code.substr(3, 2);
    std::string group = code.substr(0, 7);
    bool found = select(*ListBoxSheng, [&](const std::string& tag) { return tag == province; })
        && select(*ListBoxShi, [&](const std::string& tag) { return tag == code || tag.starts_with(group); });
    if (found && picked(*ListBoxShi)->TagString() != code)
        select(*ListBoxXian, [&](const std::string& tag) { return tag == code; });
    CloseSearch();
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
            // The place the lists stand on, whatever was typed in the box since.
            { "city", m_placeName },
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
