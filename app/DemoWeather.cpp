// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DemoWeather.h"

#include "weather/ForecastDate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace nimbrell {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Sky {
    const char* text;
    int coolingDegrees; // clouds and rain keep the day cooler
    bool wet;
    int code; // the position source's code
};

constexpr std::array kSkies { Sky { "晴", 0, false, 0 }, Sky { "多云", 2, false, 2 }, Sky { "晴转多云", 1, false, 2 },
    Sky { "多云转晴", 1, false, 1 }, Sky { "阴", 3, false, 3 }, Sky { "阵雨", 4, true, 80 }, Sky { "小雨", 5, true, 61 },
    Sky { "雷阵雨", 3, true, 95 }, Sky { "小雨转中雨", 6, true, 63 }, Sky { "中雨", 6, true, 63 }, Sky { "雾", 2, false, 45 },
    Sky { "大雨", 7, true, 65 } };

struct Wind {
    const char* text;
    double speed;     // km/h
    double direction; // degrees
};

constexpr std::array kWinds { Wind { "微风", 8, 0 }, Wind { "北风3-4级", 18, 0 }, Wind { "南风3-4级", 18, 180 },
    Wind { "东风微风", 9, 90 }, Wind { "西北风4-5级转3-4级", 27, 315 }, Wind { "东南风3-4级", 18, 135 } };

// A day's mean temperature from latitude and season, fitted to China's
// lowland climate: the yearly mean falls by about 0.77℃ a degree north of
// Guangzhou, the swing between January and July grows northwards, and the
// coldest day is in mid-January.
double seasonalMean(double latitude, int dayOfYear)
{
    double yearlyMean = 22.0 - 0.77 * (latitude - 23.1);
    double swing = std::max(3.0, 7.7 + 0.564 * (latitude - 23.1));
    return yearlyMean - swing * std::cos(2 * kPi * (dayOfYear - 15) / 365.0);
}

// 1 in mid-January, 0 in mid-July.
double winterness(int dayOfYear)
{
    return 0.5 + 0.5 * std::cos(2 * kPi * (dayOfYear - 15) / 365.0);
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

// A fraction in [0, 1) from a hash.
double fraction(std::uint32_t roll)
{
    return static_cast<double>(roll % 10000) / 10000.0;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string dateText(const std::tm& date, int daysAhead)
{
    std::tm day = date;
    day.tm_mday += daysAhead;
    day.tm_hour = 12;
    timegm(&day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
    return text;
}

// How far a place is into the north, for the air: 0 on the south coast, 1 at 42°N.
double northness(double latitude)
{
    return std::clamp((latitude - 22.0) / 20.0, 0.0, 1.0);
}

// The day's PM2.5 level (µg/m³) for the day `dayNumber` of the year `dayOfYear`.
double fineDustLevel(std::uint32_t citySeed, int dayNumber, int dayOfYear, double latitude)
{
    std::uint32_t roll = mix(citySeed ^ static_cast<std::uint32_t>(dayNumber * 40503U + 17U));
    double level = 12 + 48 * winterness(dayOfYear) * (0.35 + northness(latitude));
    level *= 0.6 + 0.8 * fraction(roll);
    // About one day in nine the air stands still and the dust gathers.
    if (roll % 9 == 0)
        level *= 2.5 + fraction(roll >> 8);
    return level;
}

}

DemoDay DemoForecastDay(const std::string& code, const DemoPlace& place, const std::tm& date, int day)
{
    int dayNumber = (date.tm_year + 1900) * 366 + date.tm_yday;
    std::uint32_t roll = mix(seedOf(code) ^ static_cast<std::uint32_t>((dayNumber + day) * 2654435761U));
    const Sky& sky = kSkies[roll % kSkies.size()];
    double mean = seasonalMean(place.latitude, date.tm_yday + day - 1);
    bool snowy = sky.wet && mean < 1;
    bool heavySnow = roll % 3 == 0;
    const Wind& wind = kWinds[(roll >> 20) % kWinds.size()];
    DemoDay result;
    result.weather = snowy ? (heavySnow ? "中雪" : "小雪") : sky.text;
    result.weatherCode = snowy ? (heavySnow ? 73 : 71) : sky.code;
    // A day's range is about eleven degrees around its mean, less under clouds.
    result.high = static_cast<int>(std::lround(mean + 5)) + static_cast<int>((roll >> 8) % 5) - 2 - sky.coolingDegrees / 2;
    result.low = result.high - 9 - static_cast<int>((roll >> 12) % 4) + sky.coolingDegrees / 2;
    result.wind = wind.text;
    result.windSpeed = wind.speed;
    result.windDirection = wind.direction;
    return result;
}

std::string DemoPositionAnswer(const std::string& code, const DemoPlace& place, std::time_t now)
{
    std::tm today = ChinaTime(now);
    std::string times, codes, highs, lows, speeds, directions;
    for (int day = 1; day <= 6; ++day) {
        DemoDay d = DemoForecastDay(code, place, today, day);
        const char* comma = day == 1 ? "" : ",";
        times += comma + ("\"" + dateText(today, day - 1) + "\"");
        codes += comma + std::to_string(d.weatherCode);
        highs += comma + std::to_string(d.high);
        lows += comma + std::to_string(d.low);
        speeds += comma + number(d.windSpeed);
        directions += comma + number(d.windDirection);
    }

    // Now: between the day's low near 5:00 and its high near 14:00.
    DemoDay d = DemoForecastDay(code, place, today, 1);
    int minutes = today.tm_hour * 60 + today.tm_min / 15 * 15;
    double hour = minutes / 60.0;
    double warmth = hour >= 5 && hour <= 14 ? 0.5 - 0.5 * std::cos(kPi * (hour - 5) / 9)
                                            : 0.5 + 0.5 * std::cos(kPi * std::fmod(hour + 24 - 14, 24) / 15);
    double temperature = d.low + (d.high - d.low) * warmth;
    std::uint32_t roll = mix(seedOf(code) ^ static_cast<std::uint32_t>(minutes + 7919));
    double humidity = (d.weatherCode >= 45 ? 75 : 35) + 20 * fraction(roll);
    char currentTime[32];
    std::snprintf(currentTime, sizeof currentTime, "%sT%02d:%02d", dateText(today, 0).c_str(), minutes / 60, minutes % 60);

    return "{\"latitude\":" + number(place.latitude) + ",\"longitude\":" + number(place.longitude)
        + ",\"utc_offset_seconds\":28800,\"timezone\":\"Asia/Shanghai\",\"timezone_abbreviation\":\"CST\""
          ",\"current\":{\"time\":\""
        + currentTime + "\",\"interval\":900,\"temperature_2m\":" + number(temperature)
        + ",\"apparent_temperature\":" + number(temperature - d.windSpeed / 8) + ",\"relative_humidity_2m\":"
        + std::to_string(static_cast<int>(humidity)) + ",\"weather_code\":" + std::to_string(d.weatherCode)
        + "},\"daily\":{\"time\":[" + times + "],\"weather_code\":[" + codes + "],\"temperature_2m_max\":[" + highs
        + "],\"temperature_2m_min\":[" + lows + "],\"wind_speed_10m_max\":[" + speeds
        + "],\"wind_direction_10m_dominant\":[" + directions + "]}}";
}

std::string DemoAirAnswer(const std::string& code, const DemoPlace& place, std::time_t now)
{
    std::tm today = ChinaTime(now);
    std::uint32_t citySeed = seedOf(code);
    std::string times, pm25, pm10, co, no2, so2, o3;
    for (int hour = 0; hour < 48; ++hour) {
        int daysBack = 1 - hour / 24;
        int hourOfDay = hour % 24;
        std::tm date = today;
        date.tm_mday -= daysBack;
        date.tm_hour = 12;
        timegm(&date);
        int dayNumber = (date.tm_year + 1900) * 366 + date.tm_yday;
        // Traffic in the morning and the evening; ozone with the afternoon sun.
        double traffic = 1 + 0.25 * std::cos(2 * kPi * (hourOfDay - 8) / 12);
        double sun = std::max(0.0, std::sin(kPi * (hourOfDay - 6) / 14));
        std::uint32_t roll = mix(citySeed ^ static_cast<std::uint32_t>(dayNumber * 24 + hourOfDay));
        double dust = fineDustLevel(citySeed, dayNumber, date.tm_yday, place.latitude) * traffic * (0.9 + 0.2 * fraction(roll));
        double summer = 1 - winterness(date.tm_yday);
        double ozone = 15 + (25 + 120 * summer) * sun * (0.8 + 0.4 * fraction(roll >> 7));

        const char* comma = hour == 0 ? "" : ",";
        char time[32];
        std::snprintf(time, sizeof time, "\"%sT%02d:00\"", dateText(today, -daysBack).c_str(), hourOfDay);
        times += comma + std::string(time);
        // Now and then an hour without data, as the real service has.
        bool missing = roll % 61 == 0;
        auto add = [&](std::string& list, double value) { list += comma + (missing ? std::string("null") : number(value)); };
        add(pm25, dust);
        add(pm10, dust * 1.7 + 8);
        add(co, 300 + dust * 9);
        add(no2, (12 + dust * 0.45) * traffic);
        add(so2, 3 + dust * 0.12);
        add(o3, ozone);
    }
    return "{\"latitude\":" + number(place.latitude) + ",\"longitude\":" + number(place.longitude)
        + ",\"timezone\":\"Asia/Shanghai\",\"hourly_units\":{\"time\":\"iso8601\",\"pm2_5\":\"μg/m³\"},\"hourly\":{\"time\":["
        + times + "],\"pm10\":[" + pm10 + "],\"pm2_5\":[" + pm25 + "],\"carbon_monoxide\":[" + co
        + "],\"nitrogen_dioxide\":[" + no2 + "],\"sulphur_dioxide\":[" + so2 + "],\"ozone\":[" + o3 + "]}}";
}

}
