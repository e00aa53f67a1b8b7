#include "app/FormWeather.h"

#include "app/ProcessState.h"
#include "base/Text.h"
#include "base/Utf.h"
#include "data/FileWriting.h"
#include "data/ResourceFile.h"
#include "platform/Application.h"
#include "update/UpdateThread.h"
#include "weather/WeatherThread.h"

#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::size_t kMaxShownUrlBytes = 2048;

}

TFormWeather::TFormWeather()
{
    Native().Resize(kClientWidth, kClientHeight);
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

    // A folder someone else could have planted was passed over already; one
    // that cannot be made is reported.
    state.DataDirectory = DataDirectoryFromEnvironment();
    if (PreparePrivateFolder(state.DataDirectory) != FolderCheck::Ready)
        throw std::runtime_error(Format("Unable to create directory %s", state.DataDirectory.c_str()));

    state.BuildStamp = kThisBuildStamp;

    std::string databaseFile = state.DataDirectory + "Nimbrell.db";
    ExtractResourceFile("Nimbrell", "exefile", databaseFile);
    state.Database = std::make_unique<CityDatabase>(databaseFile);

    state.Settings = std::make_unique<SettingsFile>(state.DataDirectory + "historyLog.ini");
    auto& settings = *state.Settings;

    Move(settings.ReadInteger(kSettingsSection, "formLeft", 500), settings.ReadInteger(kSettingsSection, "formTop", 300));

    state.CityCode = settings.ReadString(kSettingsSection, "cityCode", "101010100");
    state.ShowMoreMode = settings.ReadString(kSettingsSection, "showMore", "0");

    m_sceneScale = static_cast<float>(settings.ReadInteger(kSettingsSection, "winSize", 10)) / 10.0f;

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
    case kUpdateOfferedMessage:
        OnUpdateOffered(message.lParam);
        break;
    case kUpdateFailedMessage:
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
    ++m_updateOffersReceived;
}

void TFormWeather::OnUpdateFailed(platform::LPARAM lParam)
{
    if (lParam != 1)
        return;
    // The address comes from the network: a box with megabytes of text would
    // stall the desktop.
    std::string url = State().Offer->Load().url;
    std::string_view shown = Utf8Prefix(url, kMaxShownUrlBytes);
    platform::Application::Instance().ShowMessage(shown.size() < url.size() ? std::string(shown) + "…" : url);
}

void TFormWeather::OnClose()
{
    auto& state = State();
    auto settings = std::move(state.Settings);
    if (!settings)
        return;
    settings->WriteString(kSettingsSection, "formLeft", std::to_string(Left()));
    settings->WriteString(kSettingsSection, "formTop", std::to_string(Top()));
}

}
