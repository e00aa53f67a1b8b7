#include "app/FormWeather.h"

#include "app/ProcessState.h"
#include "data/ResourceFile.h"
#include "platform/Application.h"
#include "platform/Text.h"

#include <filesystem>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::int64_t buildStamp = 201108181030;

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

    state.BuildStamp = buildStamp;

    std::string databaseFile = state.DataDirectory + "Nimbrell.db";
    ExtractResourceFile("Nimbrell", "exefile", databaseFile);
    state.Database = std::make_unique<CityDatabase>(databaseFile);

    m_reports = std::make_shared<ReportList>();

    state.Settings = std::make_unique<SettingsFile>(state.DataDirectory + "historyLog.ini");
    auto& settings = *state.Settings;

    Move(settings.ReadInteger(SettingsSection, "formLeft", 500), settings.ReadInteger(SettingsSection, "formTop", 300));

    state.CityCode = settings.ReadString(SettingsSection, "cityCode", "101010100");
    state.ShowMoreMode = settings.ReadString(SettingsSection, "showMore", "0");

    m_sceneScale = static_cast<float>(settings.ReadInteger(SettingsSection, "winSize", 10)) / 10.0f;
}

void TFormWeather::OnMessage(platform::Message&)
{
}

void TFormWeather::OnClose()
{
    auto& state = State();
    // Workers still running keep their own reference to the report list.
    m_reports.reset();
    auto settings = std::move(state.Settings);
    if (!settings)
        return;
    settings->WriteString(SettingsSection, "formLeft", std::to_string(Left()));
    settings->WriteString(SettingsSection, "formTop", std::to_string(Top()));
}

}
