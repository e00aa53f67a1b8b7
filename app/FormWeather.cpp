// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormWeather.h"

#include "app/FormConfig.h"
#include "app/FormUpdate.h"
#include "app/OnScreen.h"
#include "app/ProcessState.h"
#include "base/Text.h"
#include "base/Utf.h"
#include "data/Autorun.h"
#include "data/FileWriting.h"
#include "data/ResourceFile.h"
#include "platform/Application.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/shapes/TvxRectangle.h"
#include "update/UpdateThread.h"
#include "weather/AirQualityThread.h"
#include "weather/ForecastDate.h"
#include "weather/KeptForecast.h"
#include "weather/WeatherThread.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::size_t kMaxShownUrlBytes = 2048;

// The download address comes from the network: a box with megabytes of text
// would stall the desktop.
std::string shortened(const std::string& url)
{
    std::string_view shown = Utf8Prefix(url, kMaxShownUrlBytes);
    return shown.size() < url.size() ? std::string(shown) + "…" : url;
}

}

std::string UpdateFailureText(const std::string& documentAddress, const std::string& downloadAddress)
{
    std::string text = "更新信息无法读取:\n" + documentAddress;
    // A failure after the address was read names it too.
    if (!downloadAddress.empty())
        text += "\n下载地址: " + shortened(downloadAddress);
    return text;
}

TFormWeather::TFormWeather(WeatherWorkerStarter startWorker)
    : SceneWindow(kClientWidth, kClientHeight)
    , m_startWorker(std::move(startWorker))
{
    // The designed caption stays inside the scene; the desktop's lists name the widget.
    Native().SetTitle("Nimbrell 桌面天气");
    Native().SetDesktopWidget();
    m_timer1.SetOnTimer([this] { getWeather(); });
    try {
        FormCreate();
    } catch (const std::exception& error) {
        m_startError = error.what();
        platform::Application::Instance().ShowException(error);
    }
}

TFormWeather::~TFormWeather()
{
    if (platform::Application::Exists())
        platform::Application::Instance().SetMessageHook({});
    // The tray icon's menu and the scene's objects go before the window.
    m_trayIcon1.reset();
    m_widget.design.reset();
}

void TFormWeather::FormCreate()
{
    auto& application = platform::Application::Instance();
    application.SetMessageHook([this](platform::Message& message, bool&) { AppMessageHook(message); });

    m_widget = LoadWidgetScene(Scene());
    ConnectMenu();
    platform::PostMessage(Handle(), kShowTrayIconMessage, 0, 0);
    ShowPlaceholder();

    auto& state = State();
    // A folder someone else could have planted was passed over already; one
    // that cannot be made is reported.
    state.ConfigDirectory = ConfigDirectoryFromEnvironment();
    state.DataDirectory = DataDirectoryFromEnvironment();
    for (const auto* folder : { &state.ConfigDirectory, &state.DataDirectory }) {
        if (PreparePrivateFolder(*folder) != FolderCheck::Ready)
            throw std::runtime_error(Format("Unable to create directory %s", folder->c_str()));
    }
    for (const auto& move : MoveEarlierSettings(state.ConfigDirectory, state.DataDirectory))
        std::cerr << "nimbrell: moved " << move << "\n";

    state.BuildStamp = kThisBuildStamp;

    std::string databaseFile = state.DataDirectory + "Nimbrell.db";
    std::string settingsFile = state.ConfigDirectory + "historyLog.ini";
    // What a hard end in the middle of a write left of the program's own files.
    RemoveLeftScratchFiles({ settingsFile, databaseFile, KeptForecastFile(state.DataDirectory), AutorunEntryPath() });
    ExtractResourceFile("Nimbrell", "exefile", databaseFile);
    state.Database = std::make_unique<CityDatabase>(databaseFile);
    // The kept forecast's pictures, the place's name and position: one opening.
    std::shared_ptr<const void> held = HoldDatabase();

    state.Settings = std::make_unique<SettingsFile>(settingsFile);
    auto& settings = *state.Settings;

    Move(settings.ReadInteger(kSettingsSection, "formLeft", 500), settings.ReadInteger(kSettingsSection, "formTop", 300));

    state.CityCode = settings.ReadString(kSettingsSection, "cityCode", "101010100");
    state.ShowMoreMode = settings.ReadString(kSettingsSection, "showMore", "0");
    m_refreshInterval = StoredRefreshInterval(settings.ReadInteger(kSettingsSection, "updateInterval", 2));

    SetSceneScale(settings.ReadInteger(kSettingsSection, "winSize", 10));
    SetSceneOpacity(settings.ReadInteger(kSettingsSection, "winOpacity", 10));

    if (state.ShowMoreMode == "2") {
        SetPanelVisible(true);
        m_widget.N3->SetChecked(true);
    }

    // The last good forecast stands in until the first answer arrives.
    if (auto kept = LoadKeptForecast(state.DataDirectory, state.CityCode, ChinaDate(m_clock()))) {
        if (auto view = PanelViewOf(*kept))
            ApplyPanelView(*view);
    }

    // The place is known before its weather.
    ApplyNowRow(MakeNowRowView(CityName(), {}));

    faStart();
    getWeather();

    // No update host, no check: not even a name is looked up.
    if (!state.Hosts.update.empty())
        ThreadUpdate::Start(UpdateCheckRequest { state.Hosts.update, Handle(), state.BuildStamp, state.Offer, {} });
}

void TFormWeather::SetSceneScale(int winSize)
{
    m_sceneScale = static_cast<float>(std::clamp(winSize, kMinimumSize, kMaximumSize)) / 10.0f;
    m_widget.Root1->Scale().SetPoint({ m_sceneScale, m_sceneScale });
    // The root covers the window at any scale.
    Scene().SetSize(kClientWidth, kClientHeight);
}

void TFormWeather::SetSceneOpacity(int winOpacity)
{
    m_sceneOpacity = static_cast<float>(std::clamp(winOpacity, kMinimumOpacity, kMaximumOpacity)) / 10.0f;
    m_widget.Root1->SetOpacity(m_sceneOpacity);
}

void TFormWeather::OnWindowMessage(platform::Message& message)
{
    switch (message.message) {
    case kWeatherReadyMessage:
        if (IsCurrentWeatherResult(message))
            OnWeatherReady(message.lParam);
        break;
    case kWeatherFailedMessage:
        if (IsCurrentWeatherResult(message))
            OnWeatherFailed(message.lParam);
        break;
    case kAirQualityMessage:
        if (IsCurrentWeatherResult(message))
            OnAirQuality(message.lParam);
        break;
    case kUpdateOfferedMessage:
        OnUpdateOffered(message.lParam);
        break;
    case kUpdateFailedMessage:
        OnUpdateFailed(message.lParam);
        break;
    case kShowTrayIconMessage:
        // Again once frames have painted: what they painted must show.
        KeepOnScreen();
        ShowTrayIcon();
        break;
    case platform::WM_DISPLAYCHANGE:
        KeepOnScreen();
        break;
    case platform::WM_DPICHANGED:
        ShowPicturesAgain();
        break;
    case platform::TrayIconMessage:
        OnTrayIcon(message.lParam);
        break;
    case kComeBackMessage:
        ComeBack();
        break;
    default:
        break;
    }
}

void TFormWeather::OnUpdateOffered(platform::LPARAM lParam)
{
    if (lParam != 1)
        return;
    ++m_updateOffersReceived;
    // One update window at a time: an offer arriving while it is open is already shown.
    if (m_updateWindow)
        return;
    TFormUpdate::Options options;
    options.folder = ChooseDownloadFolder(DownloadFolderSourcesFromEnvironment());
    if (State().Settings)
        options.mirrorPage = State().Settings->ReadString(kSettingsSection, "mirrorPage", DefaultMirrorPage);
    options.closeProgram = [this] { platform::PostMessage(Handle(), platform::WM_CLOSE, 0, 0); };
    m_updateWindow = std::make_unique<TFormUpdate>(State().Offer->Load(), std::move(options));
    if (OnUpdateWindowOpened)
        OnUpdateWindowOpened(*m_updateWindow);
    m_updateWindow->ShowModal(this);
    m_updateWindow.reset();
}

void TFormWeather::OpenSettings()
{
    if (m_configWindow)
        return;
    m_configWindow = std::make_unique<TFormConfig>(*this);
    if (OnSettingsWindowOpened)
        OnSettingsWindowOpened(*m_configWindow);
    m_configWindow->ShowModal(this);
    m_configWindow.reset();
}

void TFormWeather::OnUpdateFailed(platform::LPARAM lParam)
{
    if (lParam != 1)
        return;
    platform::Application::Instance().ShowMessage(UpdateFailureText(UpdateAddress(State().Hosts.update), State().Offer->Load().url));
}

void TFormWeather::KeepOnScreen()
{
    // Before the first frame the whole window stands for what it will paint.
    TvxRect inked = Scene().InkedArea();
    platform::ScreenRect painted { 0, 0, Native().Width(), Native().Height() };
    if (inked.Right > inked.Left && inked.Bottom > inked.Top)
        painted = { int(inked.Left), int(inked.Top), int(inked.Right), int(inked.Bottom) };
    painted = { painted.left + Left(), painted.top + Top(), painted.right + Left(), painted.bottom + Top() };
    auto offset = RescueOffset(painted, platform::Application::Instance().GetBackend().WorkAreas());
    if (offset)
        Move(Left() + offset->x, Top() + offset->y);
}

void TFormWeather::OnClose()
{
    auto& state = State();
    auto settings = std::move(state.Settings);
    if (!settings)
        return;
    settings->WriteValues(kSettingsSection, { { "formLeft", std::to_string(Left()) }, { "formTop", std::to_string(Top()) } });
}

}
