// The weather cycle of the main window: the request, the two completion
// handlers and the panel they fill.

#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "app/WeatherTexts.h"
#include "base/Text.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxImageList.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "weather/AirQualityThread.h"
#include "weather/WeatherThread.h"

#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::uint32_t successInterval = 7'200'000;
constexpr std::uint32_t failureInterval = 60'000;
constexpr int notAvailablePicture = 0;
constexpr const char* loadingNotice = "正在获取天气信息...";
constexpr const char* failureNotice = "获取失败,一分钟后重新获取!";

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
    // The air is asked beside a forecast asked by position; its answer never
    // holds up or fails the weather.
    m_airSettled = !request.position || state.Hosts.air.empty();
    if (!m_airSettled) {
        TAirQualityThread::Start(AirQualityRequest { .url = state.Hosts.air,
            .position = *request.position,
            .window = Handle(),
            .reports = m_reports,
            .requestNumber = m_weatherRequest });
    }
    TWeatherThread::Start(std::move(request));
    m_widget.text_Wind->SetText(loadingNotice);
    m_widget.N1->SetEnabled(false);
}

bool TFormWeather::IsCurrentWeatherResult(const platform::Message& message) const
{
    return message.wParam == m_weatherRequest;
}

void TFormWeather::faStart()
{
    for (TvxAnimation* animation : m_widget.entrance)
        animation->Start();
}

// The designed sample weather is never shown as if it were real: until the first
// result the panel shows the "not available" picture and no texts.
void TFormWeather::ShowPlaceholder()
{
    for (int day = 1; day <= 6; ++day)
        ShowPicture(notAvailablePicture, day);
    for (TvxText* text : { m_widget.text_weather, m_widget.text_wenDu, m_widget.text_wenDu_2, m_widget.text_Wind })
        text->SetText("");
    for (auto* texts : { &m_widget.dayTemperatures, &m_widget.dayWeathers }) {
        for (TvxText* text : *texts)
            text->SetText("");
    }
    for (TvxText* text : m_widget.dayDates)
        text->SetText("");
}

void TFormWeather::ShowPicture(int picture, int day)
{
    if (day == 1) {
        TvxBrush& fill = m_widget.Image1->Fill();
        m_widget.vxImageList1->CopyImage(picture, fill.Bitmap().Bitmap());
        // Style none and back: the rectangle repaints with the new picture.
        fill.SetStyle(TvxBrushStyle::vgBrushNone);
        fill.SetStyle(TvxBrushStyle::vgBrushBitmap);
        return;
    }
    TvxImage& image = *m_widget.dayImages[static_cast<std::size_t>(day - 2)];
    m_widget.vxImageList1->CopyImage(picture, image.Bitmap());
}

void TFormWeather::ShowReports(const std::vector<TInfo>& reports)
{
    auto& database = *State().Database;
    auto day = [&](std::size_t index) -> const TInfo& {
        if (index >= reports.size())
            throw std::out_of_range(Format("List index out of bounds (%d)", static_cast<int>(index)));
        return reports[index];
    };

    const TInfo& today = day(0);
    ShowPicture(InfoToIcon(database, today.tianQi), 1);
    m_widget.text_weather->SetText(DisplayText(today.tianQi));
    TemperatureParts temperature = SplitTemperature(today.wenDu);
    m_widget.text_wenDu->SetText(DisplayText(temperature.first));
    m_widget.text_wenDu_2->SetText(DisplayText(temperature.second));
    m_widget.text_Wind->SetText(DisplayText(today.fengLi));

    std::time_t now = m_clock();
    for (int number = 2; number <= 6; ++number) {
        const TInfo& report = day(static_cast<std::size_t>(number - 1));
        std::size_t slot = static_cast<std::size_t>(number - 2);
        ShowPicture(InfoToIcon(database, report.tianQi), number);
        if (number >= 4)
            m_widget.dayDates[static_cast<std::size_t>(number - 4)]->SetText(DayDate(now, 24 * (number - 1)));
        m_widget.dayTemperatures[slot]->SetText(DisplayText(report.wenDu));
        m_widget.dayWeathers[slot]->SetText(DisplayText(report.tianQi + "," + report.fengLi));
    }
}

void TFormWeather::OnWeatherReady(platform::LPARAM lParam)
{
    if (lParam == 1) {
        m_weatherSettled = true;
        if (ReplayFlag() == 1)
            faStart();
        {
            auto reports = m_reports->Lock();
            ShowReports(*reports);
        }
        m_timer1.SetInterval(successInterval);
        m_timer1.SetEnabled(true);
    }
    SetTag(1);
    m_widget.N1->SetEnabled(true);
    ReturnFreedMemory();
}

void TFormWeather::OnAirQuality(platform::LPARAM)
{
    m_airSettled = true;
}

void TFormWeather::OnWeatherFailed(platform::LPARAM lParam)
{
    if (lParam == 1) {
        m_weatherSettled = true;
        m_widget.text_Wind->SetText(failureNotice);
        m_timer1.SetInterval(failureInterval);
        m_timer1.SetEnabled(true);
    }
    m_widget.N1->SetEnabled(true);
    ReturnFreedMemory();
}

}
