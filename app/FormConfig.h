#pragma once

// The settings window: the city picked in three cascading lists, the panel
// mode, the refresh interval, the widget's scale and opacity and the autostart
// entry. Scale, opacity and panel mode are previewed on the widget while they
// change; the settings file is written only by the save button. Modal, centred,
// not draggable; the main window keeps one at a time.

#include "scene/host/TvxForm.h"
#include "scene/host/TvxScene.h"

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

    struct Options {
        // Opening writes the autostart entry as the check box stands in the
        // design; a picture of the window (--render) leaves it alone.
        bool touchAutorun { true };
    };

    // Opens on the process-wide settings file and city database; a step that
    // fails is reported in a message box and the window opens with what was read.
    explicit TFormConfig(TFormWeather& widget, Options options);
    explicit TFormConfig(TFormWeather& widget)
        : TFormConfig(widget, Options {})
    {
    }
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
    void Button1Click();
    void Save();
    void WriteAutorun();

    TFormWeather& m_widget;
    ComponentPtr<TvxForm> m_design;
    Options m_options;
};

}
