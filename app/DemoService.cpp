#include "app/DemoService.h"

#include "weather/TextEncoding.h"

#include <array>
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
    Sky { "小雨转中雨", 6, true }, Sky { "中雨", 6, true }, Sky { "雾", 2, false }, Sky { "大雨", 7, true },
};

constexpr std::array kWinds { "微风", "北风3-4级", "南风3-4级", "东风微风", "西北风4-5级转3-4级", "东南风3-4级" };

// Provinces (two-digit codes) of the north and the high plateau, where winters are cold.
bool isCold(const std::string& province)
{
    static const std::array cold { "01", "03", "05", "06", "07", "08", "09", "10", "11", "13", "14", "15", "16", "17", "12" };
    for (const char* code : cold) {
        if (province == code)
            return true;
    }
    return false;
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

const std::map<std::string, std::string>& DemoService::Places()
{
    if (!m_places.empty())
        return m_places;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_databaseFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "select code,name from T_weather where flag<>\"1\"", -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                auto text = [&](int column) {
                    auto* value = sqlite3_column_text(statement, column);
                    return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
                };
                m_places.emplace(text(0), text(1));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(db);
    return m_places;
}

std::optional<std::string> DemoService::Forecast(const std::string& code, const std::tm& date)
{
    std::string city;
    {
        std::lock_guard lock(m_mutex);
        auto& places = Places();
        auto found = places.find(code);
        if (found == places.end())
            return std::nullopt;
        city = found->second;
    }
    // Seasonal curve: coldest in mid-January, warmest in mid-July.
    int month = date.tm_mon; // 0..11
    static constexpr int season[12] = { -8, -6, 0, 7, 13, 18, 20, 19, 14, 7, 0, -6 };
    bool cold = isCold(code.substr(3, 2));
    int base = (cold ? 8 : 16) + season[month] * (cold ? 14 : 9) / 10;
    std::uint32_t citySeed = seedOf(code);
    int dayNumber = (date.tm_year + 1900) * 366 + date.tm_yday;

    std::string body = "{\"weatherinfo\":{\"city\":" + quoted(city) + ",\"cityid\":" + quoted(code);
    char dateText[64];
    std::snprintf(dateText, sizeof dateText, "%d年%d月%d日", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
    body += ",\"date_y\":" + quoted(dateText);
    for (int day = 1; day <= 6; ++day) {
        std::uint32_t roll = mix(citySeed ^ static_cast<std::uint32_t>((dayNumber + day) * 2654435761U));
        const Sky& sky = kSkies[roll % kSkies.size()];
        bool snowy = sky.wet && base < 2;
        std::string weather = snowy ? (roll % 3 == 0 ? "中雪" : "小雪") : sky.text;
        int high = base + static_cast<int>((roll >> 8) % 7) - 3 - sky.coolingDegrees / 2;
        int low = high - 6 - static_cast<int>((roll >> 12) % 5);
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
        + "/download/Nimbrell.exe\",\"name\":\"Nimbrell.exe\",\"description\":\"演示服务: 已是最新版本\"}}";
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
