#include "app/FormWeather.h"

#include "app/ProcessState.h"
#include "data/ResourceFile.h"
#include "platform/Application.h"
#include "platform/Text.h"
#include "update/UpdateThread.h"
#include "weather/WeatherThread.h"

#include <filesystem>
#include <stdexcept>

namespace nimbrell {

namespace {

void createDirectory(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error || !std::filesystem::is_directory(path))
        throw std::runtime_error(platform::Format("Unable to create directory %s", path.c_str()));
}

}

TFormWeather::TFormWeather()
{
    Native().Resize(ClientWidth, ClientHeight);
    try {
        FormCreate();
    } catch (const std::exception& error) {
        platform::Application::Instance().ShowException(error);
    }
}

TFormWeather::~TFormWeather() = default;

void TFormWeather::FormCreate()
{
    auto& state = State();

    state.DataDirectory = DataDirectoryFromEnvironment();
    createDirectory(state.DataDirectory);

    state.BuildStamp = ThisBuildStamp;

    std::string databaseFile = state.DataDirectory + "Nimbrell.db";
    ExtractResourceFile("Nimbrell", "exefile", databaseFile);
    state.Database = std::make_unique<CityDatabase>(databaseFile);

    state.Settings = std::make_unique<SettingsFile>(state.DataDirectory + "historyLog.ini");
    auto& settings = *state.Settings;

    Move(settings.ReadInteger(SettingsSection, "formLeft", 500), settings.ReadInteger(SettingsSection, "formTop", 300));

    state.CityCode = settings.ReadString(SettingsSection, "cityCode", "101010100");
    state.ShowMoreMode = settings.ReadString(SettingsSection, "showMore", "0");

    m_sceneScale = static_cast<float>(settings.ReadInteger(SettingsSection, "winSize", 10)) / 10.0f;

    getWeather();

    ThreadUpdate::Start(UpdateCheckRequest { state.Hosts.update, Handle(), state.BuildStamp, state.Offer, {} });
}

void TFormWeather::getWeather()
{
    auto& state = State();
    m_reports->BeginRequest(++m_weatherRequest);
    WeatherRequest request { .host = state.Hosts.weather,
        .areaCode = state.CityCode,
        .window = Handle(),
        .reports = m_reports,
        .forecastUrl = state.Hosts.forecast,
        .requestNumber = m_weatherRequest,
        .keptDirectory = state.DataDirectory };
    if (state.Hosts.weather.empty() && state.Database) {
        if (auto position = PlacePosition(*state.Database, state.CityCode))
            request.position = GeoPosition { position->first, position->second };
    }
    TWeatherThread::Start(std::move(request));
}

bool TFormWeather::IsCurrentWeatherResult(const platform::Message& message) const
{
    return message.wParam == m_weatherRequest;
}

void TFormWeather::OnMessage(platform::Message& message)
{
    switch (message.message) {
    case UpdateOfferedMessage:
        OnUpdateOffered(message.lParam);
        break;
    case UpdateFailedMessage:
        OnUpdateFailed(message.lParam);
        break;
    default:
        break;
    }
}

void TFormWeather::OnUpdateOffered(platform::LPARAM lParam)
{
    if (lParam != 1)
        return;
    // The update window that presents the offer is not built yet.
    ++m_updateOffersReceived;
}

void TFormWeather::OnUpdateFailed(platform::LPARAM lParam)
{
    if (lParam != 1)
        return;
    platform::Application::Instance().ShowMessage(State().Offer->url);
}

void TFormWeather::OnClose()
{
    auto& state = State();
    auto settings = std::move(state.Settings);
    if (!settings)
        return;
    settings->WriteString(SettingsSection, "formLeft", std::to_string(Left()));
    settings->WriteString(SettingsSection, "formTop", std::to_string(Top()));
}

}
