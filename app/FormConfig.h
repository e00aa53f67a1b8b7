// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings window: the city picked in three cascading lists (or found by
// name or pinyin in the place box, which moves the lists to the pick), the panel
// mode, the refresh interval, the widget's scale and opacity and the autostart
// entry. Scale, opacity and panel mode are previewed on the widget while they
// change; the settings file and the autostart entry are written only by the
// save button. Modal, centred,
// not draggable; the main window keeps one at a time.

#include "data/PlaceSearch.h"
#include "scene/host/TvxForm.h"
#include "scene/host/TvxScene.h"

#include <optional>
#include <string>

namespace nimbrell {

class TFormWeather;
class TvxButton;
class TvxCheckBox;
class TvxCloseButton;
class TvxListBox;
class TvxSpinBox;
class TvxStringComboBox;
class TvxTextBox;

class TFormConfig final : public SceneWindow {
public:
    static constexpr int ClientWidth = 555;
    static constexpr int ClientHeight = 517;

    // Opens on the process-wide settings file and city database; a step that
    // fails is reported in a message box and the window opens with what was read.
    // Opening changes nothing: neither the widget nor the autostart entry.
    explicit TFormConfig(TFormWeather& widget);
    ~TFormConfig() override;

    // The stored scene's elements the window drives.
    TvxCheckBox* isAutoRun { nullptr };
    TvxStringComboBox* showMore { nullptr };
    TvxStringComboBox* updateInterval { nullptr };
    TvxSpinBox* winSize { nullptr };
    TvxSpinBox* winOpacity { nullptr };
    TvxListBox* ListBoxSheng { nullptr };
    TvxListBox* ListBoxShi { nullptr };
    TvxListBox* ListBoxXian { nullptr };
    TvxTextBox* TextBox_area { nullptr };
    // The place search's matches under the place box; hidden while nothing is typed.
    TvxListBox* ListBoxSearch { nullptr };
    TvxButton* Button1 { nullptr };
    TvxButton* Button2 { nullptr };
    TvxCloseButton* CloseButton1 { nullptr };

private:
    void FormCreate();
    void showMoreChange();
    void winSizeChange();
    void winOpacityChange();
    void ListBoxShengChange();
    void ListBoxShiChange();
    void ListBoxXianChange();
    void SearchTyped();
    void SearchKey(int& key);
    void CloseSearch();
    // Moves the three lists to the place with this code as if it were clicked there.
    void PickPlace(const std::string& code);
    void Button1Click();
    void Save();
    void WriteAutorun();

    TFormWeather& m_widget;
    ComponentPtr<TvxForm> m_design;
    std::optional<PlaceSearch> m_search; // read on the first keystroke
    std::string m_placeName;             // the name of the place the lists stand on
};

}
