// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The demo service's weather: for a place and a moment, plausible days, the
// conditions now and the air's hours, each depending only on the place's code
// and the date (the hour, for the conditions and the air). Temperatures follow
// the latitude and the season; the air is dirtier in the north and in winter,
// cleaner in the south and in summer (with more ozone), and now and then a
// polluted day comes.

#include <ctime>
#include <string>

namespace nimbrell {

struct DemoPlace {
    std::string name;
    double latitude { 35.0 };
    double longitude { 105.0 };
};

struct DemoDay {
    std::string weather;        // the picture table's words ("多云", "小雪")
    int high { 0 };             // ℃
    int low { 0 };              // ℃
    std::string wind;           // the classic document's words ("北风3-4级")
    int weatherCode { 0 };      // the position source's code for the same sky
    double windSpeed { 0 };     // km/h
    double windDirection { 0 }; // degrees, where it comes from
};

// Day `day` of a forecast made on local date `date` (1: that date).
DemoDay DemoForecastDay(const std::string& code, const DemoPlace& place, const std::tm& date, int day);

// The forecast service's answer for a position asked at `now`: six days from
// today and the conditions now, in China's zone.
std::string DemoPositionAnswer(const std::string& code, const DemoPlace& place, std::time_t now);

// The air-quality service's answer: yesterday's and today's hours in China's zone.
std::string DemoAirAnswer(const std::string& code, const DemoPlace& place, std::time_t now);

}
