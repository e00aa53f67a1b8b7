#include "app/DemoService.h"

#include "weather/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sqlite3.h>

namespace nimbrell {

namespace {

struct Sky {
    const char* text;
    int coolingDegrees; // clouds and rain keep the day cooler
    bool wet;
};

constexpr std::array kSkies {
    Sky { "晴", 0, false }, Sky { "多云", 2, false }, Sky { "晴转多云", 1, false }, Sky { "多云转晴", 1, false },
    Sky { "阴", 3, false }, Sky { "阵雨", 4, true }, Sky { "小雨", 5, true }, Sky { "雷阵雨", 3, true },
    Sky { "小雨转中雨", 6, true }, Sky { "中雨", 6, true }, Sky { "雾", 2, false }, Sky { "大雨", 7, true }
};

constexpr std::array kWinds { "微风", "北风3-4级", "南风3-4级", "东风微风", "西北风4-5级转3-4级", "东南风3-4级" };

// A day's mean temperature from latitude and season, fitted to China's
// lowland climate: the yearly mean falls by about 0.77℃ a degree north of
// Guangzhou, the swing between January and July grows northwards, and the
// coldest day is in mid-January.
double seasonalMean(double latitude, int dayOfYear)
{
    constexpr double pi = 3.14159265358979323846;
    double yearlyMean = 22.0 - 0.77 * (latitude - 23.1);
    double swing = std::max(3.0, 7.7 + 0.564 * (latitude - 23.1));
    return yearlyMean - swing * std::cos(2 * pi * (dayOfYear - 15) / 365.0);
}

// A small, stable hash so the same city and day always get the same weather.
std::uint32_t mix(std::uint32_t value)
{
    value ^= value >> 16;
    value *= 0x7feb352dU;
    value ^= value >> 15;
    value *= 0x846ca68bU;
    value ^= value >> 16;
    return value;
}

std::uint32_t seedOf(const std::string& code)
{
    std::uint32_t seed = 2166136261U;
    for (char c : code)
        seed = (seed ^ static_cast<unsigned char>(c)) * 16777619U;
    return seed;
}

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

const std::map<std::string, DemoService::Place>& DemoService::Places()
{
    if (!m_places.empty())
        return m_places;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_databaseFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const char* sql = "select T_weather.code,name,latitude from T_weather left join T_position"
                          " on T_weather.code=T_position.code where flag<>\"1\"";
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                auto text = [&](int column) {
                    auto* value = sqlite3_column_text(statement, column);
                    return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
                };
                // A place without a position gets the country's middle latitude.
                double latitude = sqlite3_column_type(statement, 2) == SQLITE_NULL ? 35.0 : sqlite3_column_double(statement, 2);
                m_places.emplace(text(0), Place { text(1), latitude });
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(db);
    return m_places;
}

std::optional<std::string> DemoService::Forecast(const std::string& code, const std::tm& date)
{
    Place place;
    {
        std::lock_guard lock(m_mutex);
        auto& places = Places();
        auto found = places.find(code);
        if (found == places.end())
            return std::nullopt;
        place = found->second;
    }
    const std::string& city = place.name;
    std::uint32_t citySeed = seedOf(code);
    int dayNumber = (date.tm_year + 1900) * 366 + date.tm_yday;

    std::string body = "{\"weatherinfo\":{\"city\":" + quoted(city) + ",\"cityid\":" + quoted(code);
    char dateText[64];
    std::snprintf(dateText, sizeof dateText, "%d年%d月%d日", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
    body += ",\"date_y\":" + quoted(dateText);
    for (int day = 1; day <= 6; ++day) {
        std::uint32_t roll = mix(citySeed ^ static_cast<std::uint32_t>((dayNumber + day) * 2654435761U));
        const Sky& sky = kSkies[roll % kSkies.size()];
        double mean = seasonalMean(place.latitude, date.tm_yday + day - 1);
        bool snowy = sky.wet && mean < 1;
        std::string weather = snowy ? (roll % 3 == 0 ? "中雪" : "小雪") : sky.text;
        // A day's range is about eleven degrees around its mean, less under clouds.
        int high = static_cast<int>(std::lround(mean + 5)) + static_cast<int>((roll >> 8) % 5) - 2 - sky.coolingDegrees / 2;
        int low = high - 9 - static_cast<int>((roll >> 12) % 4) + sky.coolingDegrees / 2;
        std::string n = std::to_string(day);
        body += ",\"temp" + n + "\":" + quoted(std::to_string(high) + "℃~" + std::to_string(low) + "℃");
        body += ",\"weather" + n + "\":" + quoted(weather);
        body += ",\"wind" + n + "\":" + quoted(kWinds[(roll >> 20) % kWinds.size()]);
    }
    return body + "}}";
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
    if (target == "/weather/updateInfo.html")
        return { 200, "OK", "text/html; charset=gbk", EncodeSystemCodePage(UpdateDocument()) };
    if (target.starts_with(dataPrefix) && target.ends_with(dataSuffix)) {
        std::string code = target.substr(dataPrefix.size(), target.size() - dataPrefix.size() - dataSuffix.size());
        std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        if (auto forecast = Forecast(code, local))
            return { 200, "OK", "text/html; charset=utf-8", *forecast };
    }
    return { 404, "Not Found", "text/plain", "Not Found" };
}

}
