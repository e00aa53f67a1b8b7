// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/PositionForecast.h"

#include "json/JsonReader.h"
#include "weather/ForecastDate.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr int kDays = 6;

// Values outside these bounds are no data, not weather.
constexpr double kMaxTemperature = 100;
constexpr double kMaxWindSpeed = 500;

std::string formatCoordinate(double degrees)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", degrees);
    return text;
}

// The six values of one daily array; a value that is not a finite number
// within ±limit is nothing. Throws when the array is missing or short.
std::array<std::optional<double>, kDays> dailyValues(const TxJSONobject& daily, std::u16string_view name, double limit)
{
    const TxJSONbase* array = daily.OldGetField(name);
    if (!array || array->SelfType() != TxJSONtypes::jsList)
        throw std::runtime_error("The forecast answer has no daily array " + Utf16ToUtf8(name));
    if (array->Count() < kDays)
        throw std::runtime_error("The forecast answer's daily array " + Utf16ToUtf8(name) + " is shorter than six days");
    std::array<std::optional<double>, kDays> values;
    for (int day = 0; day < kDays; ++day) {
        const auto* number = dynamic_cast<const TxJSONnumber*>(array->ItemAt(day));
        if (number && std::isfinite(number->Number()) && std::fabs(number->Number()) <= limit)
            values[static_cast<std::size_t>(day)] = number->Number();
    }
    return values;
}

// The days the answer speaks of ("daily.time", dates in China's zone as asked);
// a missing or unreadable date is left undated.
std::array<std::chrono::year_month_day, kDays> dailyDates(const TxJSONobject& daily)
{
    std::array<std::chrono::year_month_day, kDays> dates {};
    const TxJSONbase* array = daily.OldGetField(u"time");
    if (!array || array->SelfType() != TxJSONtypes::jsList)
        return dates;
    for (int day = 0; day < kDays && day < array->Count(); ++day) {
        const auto* text = dynamic_cast<const TxJSONstring*>(array->ItemAt(day));
        if (!text)
            continue;
        if (auto date = ParseIsoDate(Utf16ToUtf8(text->Text())))
            dates[static_cast<std::size_t>(day)] = *date;
    }
    return dates;
}

// A weather code as a whole number; -1 (no picture) for a fraction.
int wholeCode(double code)
{
    return code == std::floor(code) ? static_cast<int>(code) : -1;
}

std::optional<double> memberNumber(const TxJSONobject& object, std::u16string_view name, double limit)
{
    const auto* number = dynamic_cast<const TxJSONnumber*>(object.OldGetField(name));
    if (number && std::isfinite(number->Number()) && std::fabs(number->Number()) <= limit)
        return number->Number();
    return std::nullopt;
}

CurrentConditions readCurrent(const TxJSONobject& current)
{
    CurrentConditions conditions;
    if (const auto* time = dynamic_cast<const TxJSONstring*>(current.OldGetField(u"time")))
        conditions.time = Utf16ToUtf8(time->Text());
    conditions.temperature = memberNumber(current, u"temperature_2m", kMaxTemperature);
    conditions.apparentTemperature = memberNumber(current, u"apparent_temperature", kMaxTemperature);
    conditions.relativeHumidity = memberNumber(current, u"relative_humidity_2m", 100);
    if (auto code = memberNumber(current, u"weather_code", 1000))
        conditions.weatherCode = wholeCode(*code);
    return conditions;
}

}

std::string PositionAddress(std::string_view baseUrl, GeoPosition position)
{
    std::string address(baseUrl);
    address += address.find('?') == std::string::npos ? '?' : '&';
    return address + "latitude=" + formatCoordinate(position.latitude) + "&longitude=" + formatCoordinate(position.longitude);
}

std::string PositionForecastAddress(std::string_view baseUrl, GeoPosition position)
{
    std::string address = PositionAddress(baseUrl, position);
    address += "&daily=weather_code,temperature_2m_max,temperature_2m_min,wind_speed_10m_max,wind_direction_10m_dominant"
               "&current=temperature_2m,apparent_temperature,relative_humidity_2m,weather_code"
               "&timezone=Asia%2FShanghai&forecast_days=6";
    return address;
}

std::string WeatherCodeText(int code)
{
    switch (code) {
    case 0:
    case 1:
        return "晴";
    case 2:
        return "多云";
    case 3:
        return "阴";
    case 45:
    case 48:
        return "雾";
    case 51:
    case 53:
    case 61:
        return "小雨";
    case 55:
    case 63:
        return "中雨";
    case 65:
        return "大雨";
    case 56:
    case 57:
    case 66:
    case 67:
        return "冻雨";
    case 71:
    case 77:
        return "小雪";
    case 73:
        return "中雪";
    case 75:
    case 86:
        return "大雪";
    case 80:
    case 81:
        return "阵雨";
    case 82:
        // Violent showers: 暴雨's picture is rain with snow, 大暴雨's heavy rain.
        return "大暴雨";
    case 85:
        return "阵雪";
    case 95:
        return "雷阵雨";
    case 96:
    case 99:
        return "雷阵雨伴有冰雹";
    default:
        return kUnknownWeatherText;
    }
}

std::string TemperatureText(double high, double low)
{
    return std::to_string(std::lround(high)) + "℃~" + std::to_string(std::lround(low)) + "℃";
}

int BeaufortLevel(double kilometresPerHour)
{
    static constexpr double lowerBounds[] = { 1, 6, 12, 20, 29, 39, 50, 62, 75, 89, 103, 118 };
    int level = 0;
    for (double bound : lowerBounds) {
        if (kilometresPerHour >= bound)
            ++level;
    }
    return level;
}

std::string WindText(std::optional<double> directionDegrees, double kilometresPerHour)
{
    static constexpr const char* points[] = { "北", "东北", "东", "东南", "南", "西南", "西", "西北" };
    int level = BeaufortLevel(kilometresPerHour);
    if (level <= 2)
        return "微风";
    if (!directionDegrees)
        return std::to_string(level) + "级";
    double normalized = std::fmod(std::fmod(*directionDegrees, 360.0) + 360.0, 360.0);
    int point = static_cast<int>(std::lround(normalized / 45.0)) % 8;
    return std::string(points[point]) + "风" + std::to_string(level) + "级";
}

PositionAnswer ReadPositionAnswer(std::string_view answer)
{
    auto root = TxJSON::ParseText(answer);
    const TxJSONobject* document = AsObject(root.get());
    if (!document)
        throw std::runtime_error("The forecast answer is not a JSON object");
    const TxJSONobject* daily = AsObject(document->OldGetField(u"daily"));
    if (!daily)
        throw std::runtime_error("The forecast answer has no daily object");

    auto codes = dailyValues(*daily, u"weather_code", 1000);
    auto highs = dailyValues(*daily, u"temperature_2m_max", kMaxTemperature);
    auto lows = dailyValues(*daily, u"temperature_2m_min", kMaxTemperature);
    auto speeds = dailyValues(*daily, u"wind_speed_10m_max", kMaxWindSpeed);
    auto directions = dailyValues(*daily, u"wind_direction_10m_dominant", 100000);
    auto dates = dailyDates(*daily);

    PositionAnswer result;
    result.reports.resize(kDays);
    for (std::size_t day = 0; day < kDays; ++day) {
        TInfo& report = result.reports[day];
        report.day = dates[day];
        if (codes[day])
            report.tianQi = WeatherCodeText(wholeCode(*codes[day]));
        if (highs[day] && lows[day])
            report.wenDu = TemperatureText(*highs[day], *lows[day]);
        if (speeds[day] && *speeds[day] >= 0)
            report.fengLi = WindText(directions[day], *speeds[day]);
    }
    if (const TxJSONobject* current = AsObject(document->OldGetField(u"current")))
        result.current = readCurrent(*current);
    return result;
}

std::vector<TInfo> ReadPositionForecast(std::string_view answer)
{
    return ReadPositionAnswer(answer).reports;
}

}
