#pragma once

// The main window: the visible widget and the controller that owns the
// process-wide state. Its creation runs the start-up sequence; closing it saves
// the window position and ends the program.

#include "platform/Window.h"
#include "weather/ReportList.h"

#include <cstdint>
#include <functional>

namespace nimbrell {

class TFormWeather final : public platform::Window {
public:
    static constexpr int kClientWidth = 635;
    static constexpr int kClientHeight = 866;

    // Runs the start-up sequence; a step that fails is reported in a message box
    // and the steps after it are skipped, but the window is still created.
    TFormWeather();
    ~TFormWeather() override;

    // The scale the widget's scene root takes from the stored size (10 = 1.0).
    float SceneScale() const { return m_sceneScale; }
    const SharedReportList& Reports() const { return m_reports; }

    // The weather request: empties the report list and starts a worker for the
    // current city, which reports back with 2025 or 2026.
    void getWeather();

    // True when a 2025/2026 message answers the latest weather request; the
    // handlers drop the answers of requests made before it.
    bool IsCurrentWeatherResult(const platform::Message& message) const;

    // How often a newer build was offered (the update window opens for each).
    int UpdateOffersReceived() const { return m_updateOffersReceived; }

protected:
    void OnMessage(platform::Message& message) override;
    void OnClose() override;

private:
    void FormCreate();

    void OnUpdateOffered(platform::LPARAM lParam);
    void OnUpdateFailed(platform::LPARAM lParam);

    // Shared with every weather worker still running, so it outlives the window
    // for them.
    SharedReportList m_reports { std::make_shared<ReportList>() };
    std::uint64_t m_weatherRequest { 0 }; // number of the latest weather request
    float m_sceneScale { 1.0f };
    int m_updateOffersReceived { 0 };
};

}
