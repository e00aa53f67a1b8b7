// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DemoService.h"

#include "app/DemoWeather.h"
#include "data/Sqlite.h"
#include "weather/TextEncoding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace nimbrell {

namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

}

DemoService::DemoService(std::string databaseFile, std::int64_t buildStamp)
    : m_databaseFile(std::move(databaseFile))
    , m_buildStamp(buildStamp)
    , m_server([this](const std::string& target) { return Answer(target); })
{
}

const std::vector<DemoService::PlaceEntry>& DemoService::Places()
{
    if (!m_places.empty())
        return m_places;
    std::shared_ptr<const Sqlite> sqlite = Sqlite::Hold();
    sqlite3* db = nullptr;
    if (sqlite->sqlite3_open_v2(m_databaseFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const char* sql = "select T_weather.code,name,latitude,longitude from T_weather left join T_position"
                          " on T_weather.code=T_position.code where flag<>\"1\"";
        if (sqlite->sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite->sqlite3_step(statement) == SQLITE_ROW) {
                auto text = [&](int column) {
                    auto* value = sqlite->sqlite3_column_text(statement, column);
                    return value ? std::string_view(reinterpret_cast<const char*>(value)) : std::string_view();
                };
                std::string_view code = text(0), name = text(1);
                if (code.size() > UINT16_MAX || name.size() > UINT16_MAX)
                    continue;
                // A place without a position gets the country's middle.
                PlaceEntry entry { std::uint32_t(m_placeText.size()), std::uint16_t(code.size()), std::uint16_t(name.size()),
                    DemoPlace().latitude, DemoPlace().longitude };
                if (sqlite->sqlite3_column_type(statement, 2) != SQLITE_NULL && sqlite->sqlite3_column_type(statement, 3) != SQLITE_NULL) {
                    entry.latitude = sqlite->sqlite3_column_double(statement, 2);
                    entry.longitude = sqlite->sqlite3_column_double(statement, 3);
                }
                m_placeText.append(code).append(name);
                m_places.push_back(entry);
            }
        }
        sqlite->sqlite3_finalize(statement);
    }
    sqlite->sqlite3_close_v2(db);
    // The first row of a code counts, as the nearest place goes by code order.
    auto byCode = [this](const PlaceEntry& a, const PlaceEntry& b) { return Code(a) < Code(b); };
    std::stable_sort(m_places.begin(), m_places.end(), byCode);
    m_places.erase(std::unique(m_places.begin(), m_places.end(), [this](const PlaceEntry& a, const PlaceEntry& b) { return Code(a) == Code(b); }),
        m_places.end());
    m_places.shrink_to_fit();
    m_placeText.shrink_to_fit();
    return m_places;
}

std::string_view DemoService::Code(const PlaceEntry& entry) const
{
    return std::string_view(m_placeText).substr(entry.text, entry.codeLength);
}

DemoService::Located DemoService::Place(const PlaceEntry& entry) const
{
    DemoPlace place { m_placeText.substr(entry.text + entry.codeLength, entry.nameLength) };
    place.latitude = entry.latitude;
    place.longitude = entry.longitude;
    return Located { std::string(Code(entry)), std::move(place) };
}

std::optional<DemoService::Located> DemoService::Find(const std::string& code)
{
    std::lock_guard lock(m_mutex);
    auto& places = Places();
    auto found = std::lower_bound(places.begin(), places.end(), std::string_view(code),
        [this](const PlaceEntry& entry, std::string_view wanted) { return Code(entry) < wanted; });
    if (found == places.end() || Code(*found) != code)
        return std::nullopt;
    return Place(*found);
}

std::optional<DemoService::Located> DemoService::Nearest(double latitude, double longitude)
{
    std::lock_guard lock(m_mutex);
    const PlaceEntry* nearest = nullptr;
    double best = std::numeric_limits<double>::max();
    for (const PlaceEntry& entry : Places()) {
        double distance = std::pow(entry.latitude - latitude, 2) + std::pow(entry.longitude - longitude, 2);
        if (distance < best) {
            best = distance;
            nearest = &entry;
        }
    }
    if (!nearest)
        return std::nullopt;
    return Place(*nearest);
}

std::optional<std::string> DemoService::Forecast(const std::string& code, const std::tm& date)
{
    auto place = Find(code);
    if (!place)
        return std::nullopt;
    std::string body = "{\"weatherinfo\":{\"city\":" + quoted(place->place.name) + ",\"cityid\":" + quoted(code);
    char dateText[64];
    std::snprintf(dateText, sizeof dateText, "%d年%d月%d日", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
    body += ",\"date_y\":" + quoted(dateText);
    for (int day = 1; day <= 6; ++day) {
        DemoDay forecast = DemoForecastDay(code, place->place, date, day);
        std::string n = std::to_string(day);
        body += ",\"temp" + n + "\":" + quoted(std::to_string(forecast.high) + "℃~" + std::to_string(forecast.low) + "℃");
        body += ",\"weather" + n + "\":" + quoted(forecast.weather);
        body += ",\"wind" + n + "\":" + quoted(forecast.wind);
    }
    return body + "}}";
}

std::optional<std::string> DemoService::PositionForecast(double latitude, double longitude, std::time_t now)
{
    auto place = Nearest(latitude, longitude);
    if (!place)
        return std::nullopt;
    return DemoPositionAnswer(place->code, place->place, now);
}

std::optional<std::string> DemoService::AirQuality(double latitude, double longitude, std::time_t now)
{
    auto place = Nearest(latitude, longitude);
    if (!place)
        return std::nullopt;
    return DemoAirAnswer(place->code, place->place, now);
}

std::string DemoService::UpdateDocument() const
{
    return "{\"updateInfo\":{\"versionDate\":\"" + std::to_string(m_buildStamp) + "\",\"url\":\"http://" + HostPort()
        + "/download/nimbrell-linux-x86_64.tar.gz\",\"name\":\"nimbrell-linux-x86_64.tar.gz\",\"description\":\"演示服务: 已是最新版本\"}}";
}

HttpServerResponse DemoService::Answer(const std::string& target)
{
    constexpr std::string_view dataPrefix = "/data/";
    constexpr std::string_view dataSuffix = ".html";
    std::time_t now = std::time(nullptr);
    if (target == "/weather/updateInfo.html")
        return { 200, "OK", "text/html; charset=gbk", EncodeSystemCodePage(UpdateDocument()) };
    if (target.starts_with(dataPrefix) && target.ends_with(dataSuffix)) {
        std::string code = target.substr(dataPrefix.size(), target.size() - dataPrefix.size() - dataSuffix.size());
        std::tm local {};
        localtime_r(&now, &local);
        if (auto forecast = Forecast(code, local))
            return { 200, "OK", "text/html; charset=utf-8", *forecast };
    }
    std::string path = target.substr(0, target.find('?'));
    if (path == kForecastPath || path == kAirQualityPath) {
        auto latitude = QueryNumber(target, "latitude");
        auto longitude = QueryNumber(target, "longitude");
        if (!latitude || !longitude)
            return { 400, "Bad Request", "application/json", "{\"error\":true,\"reason\":\"latitude and longitude\"}" };
        auto answer = path == kForecastPath ? PositionForecast(*latitude, *longitude, now) : AirQuality(*latitude, *longitude, now);
        if (answer)
            return { 200, "OK", "application/json; charset=utf-8", *answer };
    }
    return { 404, "Not Found", "text/plain", "Not Found" };
}

std::optional<double> DemoService::QueryNumber(const std::string& target, std::string_view name)
{
    std::size_t query = target.find('?');
    if (query == std::string::npos)
        return std::nullopt;
    std::string key = std::string(name) + "=";
    for (std::size_t at = query + 1; at < target.size();) {
        std::size_t end = target.find('&', at);
        if (end == std::string::npos)
            end = target.size();
        if (target.compare(at, key.size(), key) == 0) {
            std::string value = target.substr(at + key.size(), end - at - key.size());
            char* rest = nullptr;
            double number = std::strtod(value.c_str(), &rest);
            if (value.empty() || *rest != '\0' || !std::isfinite(number))
                return std::nullopt;
            return number;
        }
        at = end + 1;
    }
    return std::nullopt;
}

}
