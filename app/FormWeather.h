#pragma once

// The main window: the visible widget and the controller that owns the
// process-wide state. Its creation runs the start-up sequence; closing it saves
// the window position and ends the program.

#include "platform/Window.h"
#include "weather/ReportList.h"

#include <functional>

namespace nimbrell {

class TFormWeather final : public platform::Window {
public:
    static constexpr int ClientWidth = 635;
    static constexpr int ClientHeight = 866;

    // Runs the start-up sequence; a step that fails is reported in a message box
    // and the steps after it are skipped, but the window is still created.
    TFormWeather();
    ~TFormWeather() override;

    // The scale the widget's scene root takes from the stored size (10 = 1.0).
    float SceneScale() const { return m_sceneScale; }
    const SharedReportList& Reports() const { return m_reports; }

protected:
    void OnMessage(platform::Message& message) override;
    void OnClose() override;

private:
    void FormCreate();

    SharedReportList m_reports;
    float m_sceneScale { 1.0f };
};

}
