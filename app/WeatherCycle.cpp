// SPDX-License-Identifier: GPL-3.0-or-later
// The weather cycle of the main window: the request, the two completion
// handlers and applying the panel's view (WeatherPanel.h) to the scene.

#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxImageList.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "weather/AirQualityThread.h"
#include "weather/ForecastDate.h"

#include <exception>

namespace nimbrell {

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
    m_widget.text_Wind->SetText(WeatherNotices::Loading);
    m_widget.N1->SetEnabled(false);
    try {
        if (state.Hosts.weather.empty() && state.Database) {
            if (auto position = PlacePosition(*state.Database, state.CityCode))
                request.position = GeoPosition { position->first, position->second };
        }
        // The air is asked beside a forecast asked by position; its answer never
        // holds up or fails the weather.
        m_airSettled = !request.position || state.Hosts.air.empty();
        if (m_airSettled)
            ApplyAirChip(std::nullopt);
        else {
            TAirQualityThread::Start(AirQualityRequest { .url = state.Hosts.air,
                .position = *request.position,
                .window = Handle(),
                .reports = m_reports,
                .requestNumber = m_weatherRequest });
        }
        m_startWorker(std::move(request));
    } catch (const std::exception&) {
        // No worker will answer: this request has failed.
        ShowFailure();
    }
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

void TFormWeather::ShowPlaceholder()
{
    ApplyPanelView(PlaceholderPanelView());
}

void TFormWeather::ShowPicture(int picture, int day)
{
    m_pictures[static_cast<std::size_t>(day - 1)] = picture;
    const float scale = Scene().DeviceScale();
    if (day == 1) {
        TvxBrush& fill = m_widget.Image1->Fill();
        m_widget.vxImageList1->CopyImage(picture, fill.Bitmap().Bitmap(), scale);
        // Style none and back: the rectangle repaints with the new picture.
        fill.SetStyle(TvxBrushStyle::vgBrushNone);
        fill.SetStyle(TvxBrushStyle::vgBrushBitmap);
        return;
    }
    TvxImage& image = *m_widget.dayImages[static_cast<std::size_t>(day - 2)];
    m_widget.vxImageList1->CopyImage(picture, image.Bitmap(), scale);
}

void TFormWeather::ShowPicturesAgain()
{
    for (std::size_t day = 0; day < m_pictures.size(); ++day) {
        if (m_pictures[day] >= 0)
            ShowPicture(m_pictures[day], static_cast<int>(day) + 1);
    }
}

std::optional<WeatherPanelView> TFormWeather::PanelViewOf(const std::vector<TInfo>& reports) const
{
    CityDatabase* database = State().Database.get();
    PictureLookup pictureOf = [database](std::string_view description) {
        return database ? InfoToIcon(*database, description) : kNotAvailablePicture;
    };
    return MakeWeatherPanelView(reports, pictureOf, ChinaDate(m_clock()));
}

void TFormWeather::ApplyPanelView(const WeatherPanelView& view)
{
    ShowPicture(view.picture, 1);
    m_widget.text_weather->SetText(view.weather);
    m_widget.text_wenDu->SetText(view.high);
    m_widget.text_wenDu_2->SetText(view.low);
    m_widget.text_Wind->SetText(view.wind);
    for (std::size_t slot = 0; slot < view.days.size(); ++slot) {
        const WeatherDayView& day = view.days[slot];
        ShowPicture(day.picture, static_cast<int>(slot) + 2);
        // Days 2 and 3 keep "明天" and "后天".
        if (slot >= 2)
            m_widget.dayDates[slot - 2]->SetText(day.date);
        m_widget.dayTemperatures[slot]->SetText(day.temperature);
        m_widget.dayWeathers[slot]->SetText(day.weather);
    }
}

std::shared_ptr<const void> TFormWeather::HoldDatabase()
{
    try {
        return State().Database ? State().Database->Hold() : nullptr;
    } catch (const std::exception&) {
        // Each look-up then meets the failure itself.
        return nullptr;
    }
}

std::string TFormWeather::CityName() const
{
    CityDatabase* database = State().Database.get();
    try {
        return database ? PlaceName(*database, State().CityCode) : std::string();
    } catch (const std::exception&) {
        // A database that cannot be read names no place; the weather stands.
        return {};
    }
}

void TFormWeather::ApplyNowRow(const NowRowView& view)
{
    m_widget.text_city->SetText(view.city);
    m_widget.text_now->SetText(view.now);
    m_widget.text_updated->SetText(view.updated);
}

void TFormWeather::ApplyAirChip(const std::optional<AirChipView>& chip)
{
    m_widget.AirChip->SetVisible(chip.has_value());
    if (!chip) {
        m_widget.AirChip->SetHint({});
        return;
    }
    m_widget.AirChip->Fill().SetSolidColor(chip->fill);
    m_widget.text_air->Fill().SetSolidColor(chip->textColour);
    m_widget.text_air->SetText(chip->text);
    m_widget.AirChip->SetHint(chip->hint);
}

void TFormWeather::SetTrayTip(std::string tip)
{
    m_trayTip = std::move(tip);
    if (m_trayIcon1)
        m_trayIcon1->SetTip(m_trayTip);
}

void TFormWeather::SetRefreshInterval(std::uint32_t milliseconds)
{
    m_refreshInterval = milliseconds;
    m_timer1.SetInterval(milliseconds);
}

void TFormWeather::ArmRefreshTimer(std::uint32_t interval)
{
    m_timer1.SetInterval(interval);
    m_timer1.SetEnabled(true);
}

void TFormWeather::OnWeatherReady(platform::LPARAM lParam)
{
    if (lParam != 1) {
        SetTag(1);
        m_widget.N1->SetEnabled(true);
        return;
    }
    m_weatherSettled = true;
    // The days' pictures and the place's name: one opening.
    std::shared_ptr<const void> held = HoldDatabase();
    std::optional<WeatherPanelView> view;
    std::vector<TInfo> reports;
    WeatherExtras extras;
    try {
        {
            auto locked = m_reports->Lock();
            reports = *locked;
            extras = locked.Extras();
        }
        view = PanelViewOf(reports);
    } catch (const std::exception&) {
        // A picture table that cannot be read fails the result like a bad answer.
    }
    if (!view) {
        ShowFailure();
        ReturnFreedMemory();
        return;
    }
    // The cycle goes on whatever happens while the panel is filled.
    ArmRefreshTimer(m_refreshInterval);
    m_widget.N1->SetEnabled(true);
    bool replay = ReplayFlag() == 1;
    SetTag(1);
    if (replay)
        faStart();
    ApplyPanelView(*view);
    std::string city = CityName();
    ApplyNowRow(MakeNowRowView(city, extras));
    SetTrayTip(TrayTipText(city, extras, reports[0]));
    ReturnFreedMemory();
}

void TFormWeather::OnAirQuality(platform::LPARAM lParam)
{
    m_airSettled = true;
    std::optional<AirQualityIndex> air;
    if (lParam == 1)
        air = m_reports->Lock().Extras().air;
    // A failed answer hides what an earlier one showed: old air is not today's.
    ApplyAirChip(MakeAirChipView(air));
}

void TFormWeather::OnWeatherFailed(platform::LPARAM lParam)
{
    if (lParam == 1)
        ShowFailure();
    m_widget.N1->SetEnabled(true);
    ReturnFreedMemory();
}

// The failure notice and a retry in a minute; the rest of the panel keeps what it showed.
void TFormWeather::ShowFailure()
{
    m_weatherSettled = true;
    ArmRefreshTimer(kRetryInterval);
    m_widget.N1->SetEnabled(true);
    m_widget.text_Wind->SetText(WeatherNotices::Failure);
}

}
