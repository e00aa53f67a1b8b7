// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the visible widget and the controller that owns the
// process-wide state. Its creation runs the start-up sequence; closing it saves
// the window position and ends the program. The weather cycle lives in
// WeatherCycle.cpp, the window modes and commands in WindowModes.cpp.

#include "app/WeatherNow.h"
#include "app/WeatherPanel.h"
#include "app/WidgetScene.h"
#include "platform/Menu.h"
#include "platform/Timer.h"
#include "scene/host/TvxScene.h"
#include "weather/ReportList.h"
#include "weather/WeatherThread.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nimbrell {

class TFormConfig;
class TFormUpdate;

// The text of the box a failed update check shows: what failed, the update
// document's address and, when it was read before the failure, the download's.
std::string UpdateFailureText(const std::string& documentAddress, const std::string& downloadAddress);

class TFormWeather final : public SceneWindow {
public:
    static constexpr int kClientWidth = 635;
    static constexpr int kClientHeight = 866;
    // The stored size and opacity are kept within what the settings window offers
    // (and never below one tenth, so the widget cannot vanish).
    static constexpr int kMinimumSize = 3;
    static constexpr int kMaximumSize = 20;
    static constexpr int kMinimumOpacity = 1;
    static constexpr int kMaximumOpacity = 10;
    // Posted to itself at start-up: the tray icon is made once the first frame
    // is out, so that it does not hold the widget back.
    static constexpr std::uint32_t kShowTrayIconMessage = platform::TrayIconMessage + 1;
    // Posted by a later start of the program with the same settings: the widget
    // comes back (see ComeBack).
    static constexpr std::uint32_t kComeBackMessage = platform::TrayIconMessage + 2;

    // Starts a weather worker for a request.
    using WeatherWorkerStarter = std::function<void(WeatherRequest)>;

    // Runs the start-up sequence; a step that fails is reported in a message box
    // and the steps after it are skipped, but the window is still created.
    explicit TFormWeather(WeatherWorkerStarter startWorker = TWeatherThread::Start);
    ~TFormWeather() override;

    // The scale and opacity of the widget's scene root.
    float SceneScale() const { return m_sceneScale; }
    float SceneOpacity() const { return m_sceneOpacity; }
    // Scale and opacity in tenths, as the settings keep them, clamped to what
    // the settings window offers (and never below one tenth).
    void SetSceneScale(int winSize);
    void SetSceneOpacity(int winOpacity);
    // Shows or hides the five-day panel (its fade-in runs each time it shows).
    void SetPanelVisible(bool visible);
    const SharedReportList& Reports() const { return m_reports; }
    // The scene's named elements; null members until the scene is read.
    const WidgetScene& Widget() const { return m_widget; }
    platform::Timer& RefreshTimer() { return m_timer1; }
    // The replay flag: 0 until the first weather-ready message.
    int ReplayFlag() const { return Tag(); }

    // The weather request: empties the report list and starts a worker for the
    // current city, which reports back with 2025 or 2026.
    void getWeather();
    // Starts the entrance animations.
    void faStart();
    // Writes a view's texts and pictures into the scene.
    void ApplyPanelView(const WeatherPanelView& view);
    // The panel for reports as they stand now (China's date from the clock);
    // nothing when a day is missing.
    std::optional<WeatherPanelView> PanelViewOf(const std::vector<TInfo>& reports) const;
    // Writes the row of the place and the conditions now, and the air chip (none: hidden).
    void ApplyNowRow(const NowRowView& view);
    void ApplyAirChip(const std::optional<AirChipView>& chip);
    // The name of the current city, from the database; empty when unknown.
    std::string CityName() const;
    // Keeps the city database open for a run of look-ups; nothing when it cannot be opened.
    static std::shared_ptr<const void> HoldDatabase();
    // What the notification-area icon's tip says now (the application title until a forecast came).
    const std::string& TrayTip() const { return m_trayTip; }
    // The clock the day dates are computed from; the real one by default.
    void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }
    // The refresh timer's interval after a success: the stored `updateInterval`
    // at start, then what the settings window saves. Setting it also sets the
    // running timer's interval.
    std::uint32_t RefreshInterval() const { return m_refreshInterval; }
    void SetRefreshInterval(std::uint32_t milliseconds);

    // What stopped the start-up sequence; empty when it ran to the end.
    const std::string& StartError() const { return m_startError; }
    // Whether the first weather result or failure has arrived.
    bool WeatherSettled() const { return m_weatherSettled; }
    // Whether the latest request's air answer (when one was asked) has arrived or failed.
    bool AirSettled() const { return m_airSettled; }
    // True when a 2025/2026 message answers the latest weather request; the
    // handlers drop the answers of requests made before it.
    bool IsCurrentWeatherResult(const platform::Message& message) const;
    std::uint64_t WeatherRequestNumber() const { return m_weatherRequest; }

    // How often a newer build was offered (the update window opens for each).
    int UpdateOffersReceived() const { return m_updateOffersReceived; }
    // The update window while it is open (modal, freed when it closes).
    TFormUpdate* UpdateWindow() const { return m_updateWindow.get(); }
    // Called with the update window right before its modal loop starts.
    std::function<void(TFormUpdate&)> OnUpdateWindowOpened;

    // The settings command: opens the settings window modally unless one is
    // open, and frees it when it closes.
    void OpenSettings();
    TFormConfig* SettingsWindow() const { return m_configWindow.get(); }
    // Called with the settings window right before its modal loop starts.
    std::function<void(TFormConfig&)> OnSettingsWindowOpened;

    // For a user who lost the widget and starts the program again: the widget
    // shows, on the screen, with its panel, and takes the mouse again.
    void ComeBack();
    // Mouse pass-through (鼠标穿透) leaves no way to the widget's menu but the
    // notification-area icon: it is offered only while the icon is docked.
    bool PassThroughOffered() const;

    // Moves the widget to the nearest place where it shows whole when too little
    // of it shows on every monitor (a saved place on a monitor that is gone).
    void KeepOnScreen();

    // Gives freed memory back to the system, then handles pending messages.
    static void TrimWorkingSet();
    // Gives the memory freed so far back to the system (a worker's heap after
    // its result arrived, for one).
    static void ReturnFreedMemory();

protected:
    void OnWindowMessage(platform::Message& message) override;
    void OnClose() override;

private:
    void FormCreate();
    void ShowPlaceholder();

    // The weather cycle.
    void OnWeatherReady(platform::LPARAM lParam);
    void OnWeatherFailed(platform::LPARAM lParam);
    void OnAirQuality(platform::LPARAM lParam);
    void ShowFailure();
    void ArmRefreshTimer(std::uint32_t interval);
    void ShowPicture(int picture, int day);
    void SetTrayTip(std::string tip);
    // The pictures again, from the set for the window's device scale.
    void ShowPicturesAgain();

    // Window modes and commands.
    void AppMessageHook(platform::Message& message);
    void MouseEntered();
    void MouseLeft();
    void ConnectMenu();
    void ToggleFiveDays();
    void TogglePassThrough();
    void SetPassThrough(bool passThrough);
    void OfferPassThrough();
    void ShowTrayIcon();
    void OnTrayIcon(platform::LPARAM lParam);

    void OnUpdateOffered(platform::LPARAM lParam);
    void OnUpdateFailed(platform::LPARAM lParam);

    WidgetScene m_widget;
    platform::Timer m_timer1;
    std::unique_ptr<platform::TrayIcon> m_trayIcon1;
    std::unique_ptr<TFormUpdate> m_updateWindow;
    std::unique_ptr<TFormConfig> m_configWindow;
    // Shared with every weather worker still running, so it outlives the window
    // for them.
    SharedReportList m_reports { std::make_shared<ReportList>() };
    WeatherWorkerStarter m_startWorker;
    std::function<std::time_t()> m_clock { [] { return std::time(nullptr); } };
    std::uint32_t m_refreshInterval { StoredRefreshInterval(-1) };
    std::uint64_t m_weatherRequest { 0 }; // number of the latest weather request
    // The picture shown for today (index 0) and the next five days, or -1.
    std::array<int, 6> m_pictures { -1, -1, -1, -1, -1, -1 };
    float m_sceneScale { 1.0f };
    float m_sceneOpacity { 1.0f };
    int m_updateOffersReceived { 0 };
    bool m_mouseInside { false };
    bool m_weatherSettled { false };
    std::string m_startError;
    std::string m_trayTip;
    bool m_airSettled { true };
};

}
