// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The built-in demo service: a forecast, air-quality and update host on
// 127.0.0.1 that needs no network. Every city of the embedded database gets a
// plausible forecast that depends only on its code and the date (DemoWeather.h),
// as the classic document ("/data/<code>.html") and, for the place nearest a
// position, as the position source's answer with the conditions now
// (kForecastPath) and the air's hours (kAirQualityPath). The update document
// offers the running build, so no update is shown.

#include "app/DemoWeather.h"
#include "http/HttpServer.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class DemoService {
public:
    static constexpr const char* kForecastPath = "/v1/forecast";
    static constexpr const char* kAirQualityPath = "/v1/air-quality";

    // databaseFile: the extracted city database, read when the first forecast is asked for.
    DemoService(std::string databaseFile, std::int64_t buildStamp);

    std::string HostPort() const { return m_server.HostPort(); }

    // The forecast document of a city for the given local date, or nothing for
    // an unknown code.
    std::optional<std::string> Forecast(const std::string& code, const std::tm& date);
    // The answers for the place nearest a position at the moment `now`.
    std::optional<std::string> PositionForecast(double latitude, double longitude, std::time_t now);
    std::optional<std::string> AirQuality(double latitude, double longitude, std::time_t now);
    std::string UpdateDocument() const;

private:
    struct Located {
        std::string code;
        DemoPlace place;
    };

    // A place of the list: its code and then its name lie in m_placeText at text.
    struct PlaceEntry {
        std::uint32_t text;
        std::uint16_t codeLength;
        std::uint16_t nameLength;
        double latitude;
        double longitude;
    };

    HttpServerResponse Answer(const std::string& target);
    // Read once; the list lives as long as the service's thread, so it is kept compact.
    const std::vector<PlaceEntry>& Places();
    std::string_view Code(const PlaceEntry& entry) const;
    Located Place(const PlaceEntry& entry) const;
    std::optional<Located> Find(const std::string& code);
    std::optional<Located> Nearest(double latitude, double longitude);
    // A number of the target's query, or nothing.
    static std::optional<double> QueryNumber(const std::string& target, std::string_view name);

    std::string m_databaseFile;
    std::int64_t m_buildStamp;
    std::mutex m_mutex;
    // Cities and counties sorted by code, each code once.
    std::vector<PlaceEntry> m_places;
    std::string m_placeText;
    HttpServer m_server;
};

}
