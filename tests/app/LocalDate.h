#pragma once

// Local noon of a calendar day, for tests that fix the clock.

#include <ctime>

namespace nimbrell::testing {

inline std::time_t LocalNoon(int year, int month, int day)
{
    std::tm noon {};
    noon.tm_year = year - 1900;
    noon.tm_mon = month - 1;
    noon.tm_mday = day;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    return std::mktime(&noon);
}

}
