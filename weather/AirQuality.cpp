// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/AirQuality.h"

#include "json/JsonReader.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr int kIndexSteps[] = { 0, 50, 100, 150, 200, 300, 400, 500 };

struct Breakpoints {
    double values[8];
    int count;
};

const Breakpoints& breakpointsOf(AirTable table)
{
    static const Breakpoints tables[] = {
        { { 0, 35, 75, 115, 150, 250, 350, 500 }, 8 },     // PM2.5
        { { 0, 50, 150, 250, 350, 420, 500, 600 }, 8 },    // PM10
        { { 0, 50, 150, 475, 800, 1600, 2100, 2620 }, 8 }, // SO2
        { { 0, 40, 80, 180, 280, 565, 750, 940 }, 8 },     // NO2
        { { 0, 2, 4, 14, 24, 36, 48, 60 }, 8 },            // CO, mg/m³
        { { 0, 100, 160, 215, 265, 800 }, 6 },             // O3, 8 hours
        { { 0, 160, 200, 300, 400, 800, 1000, 1200 }, 8 }, // O3, 1 hour
    };
    return tables[static_cast<std::size_t>(table)];
}

constexpr AirGrade kGrades[] = {
    { 50, "优", 0, 228, 0, true },
    { 100, "良", 255, 255, 0, true },
    { 150, "轻度污染", 255, 126, 0, true },
    { 200, "中度污染", 255, 0, 0, false },
    { 300, "重度污染", 153, 0, 76, false },
    { 500, "严重污染", 126, 0, 35, false },
};

constexpr std::size_t kDailyHours = 24;
constexpr std::size_t kDailyMinimum = 18;
constexpr std::size_t kOzoneHours = 8;
constexpr std::size_t kOzoneMinimum = 6;
constexpr double kOzoneEightHourLimit = 800;

// Values beyond any real concentration are no data.
constexpr double kMaxConcentration = 1e6;

// The mean of the `span` hours ending at `last`, from at least `minimum` of them.
std::optional<double> meanEndingAt(const std::vector<std::optional<double>>& values, std::size_t last, std::size_t span,
    std::size_t minimum)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t back = 0; back < span && back <= last; ++back) {
        if (const auto& value = values[last - back]) {
            sum += *value;
            ++count;
        }
    }
    if (count < minimum)
        return std::nullopt;
    return sum / static_cast<double>(count);
}

// The O3 index: the largest 8-hour mean wholly within the day, or the day's
// largest hour on the 1-hour table when that mean is beyond the 8-hour table.
std::optional<int> ozoneIndex(const std::vector<std::optional<double>>& values, std::size_t current)
{
    std::optional<double> largestMean;
    std::optional<double> largestHour;
    for (std::size_t back = 0; back < kDailyHours && back <= current; ++back) {
        std::size_t hour = current - back;
        if (back + kOzoneHours <= kDailyHours) {
            if (auto mean = meanEndingAt(values, hour, kOzoneHours, kOzoneMinimum))
                largestMean = std::max(largestMean.value_or(*mean), *mean);
        }
        if (const auto& value = values[hour])
            largestHour = std::max(largestHour.value_or(*value), *value);
    }
    if (!largestMean)
        return std::nullopt;
    if (*largestMean > kOzoneEightHourLimit)
        return IndividualIndex(AirTable::O3OneHour, *largestHour);
    return IndividualIndex(AirTable::O3EightHour, *largestMean);
}

AirTable dailyTable(Pollutant pollutant)
{
    switch (pollutant) {
    case Pollutant::PM2_5:
        return AirTable::PM2_5;
    case Pollutant::PM10:
        return AirTable::PM10;
    case Pollutant::SO2:
        return AirTable::SO2;
    case Pollutant::NO2:
        return AirTable::NO2;
    case Pollutant::CO:
        return AirTable::CO;
    case Pollutant::O3:
        break;
    }
    return AirTable::O3EightHour;
}

const TxJSONbase* arrayOf(const TxJSONobject& hourly, std::u16string_view name, int length)
{
    const TxJSONbase* array = hourly.OldGetField(name);
    if (!array || array->SelfType() != TxJSONtypes::jsList || (length >= 0 && array->Count() != length))
        throw std::runtime_error("The air-quality answer has no hourly array " + Utf16ToUtf8(name) + " for every hour");
    return array;
}

}

std::string AirQualityAddress(std::string_view baseUrl, GeoPosition position)
{
    return PositionAddress(baseUrl, position)
        + "&hourly=pm10,pm2_5,carbon_monoxide,nitrogen_dioxide,sulphur_dioxide,ozone"
          "&timezone=Asia%2FShanghai&past_days=1&forecast_days=1";
}

AirHours ReadAirQuality(std::string_view answer)
{
    auto root = TxJSON::ParseText(answer);
    const TxJSONobject* document = AsObject(root.get());
    if (!document)
        throw std::runtime_error("The air-quality answer is not a JSON object");
    const TxJSONobject* hourly = AsObject(document->OldGetField(u"hourly"));
    if (!hourly)
        throw std::runtime_error("The air-quality answer has no hourly object");

    AirHours hours;
    const TxJSONbase* times = arrayOf(*hourly, u"time", -1);
    for (int i = 0; i < times->Count(); ++i) {
        const auto* text = dynamic_cast<const TxJSONstring*>(times->ItemAt(i));
        hours.times.push_back(text ? Utf16ToUtf8(text->Text()) : std::string());
    }
    static constexpr std::u16string_view names[kPollutantCount] = { u"pm2_5", u"pm10", u"sulphur_dioxide",
        u"nitrogen_dioxide", u"carbon_monoxide", u"ozone" };
    for (std::size_t p = 0; p < kPollutantCount; ++p) {
        const TxJSONbase* array = arrayOf(*hourly, names[p], times->Count());
        auto& values = hours.values[p];
        for (int i = 0; i < array->Count(); ++i) {
            const auto* number = dynamic_cast<const TxJSONnumber*>(array->ItemAt(i));
            bool usable = number && std::isfinite(number->Number()) && number->Number() >= 0
                && number->Number() <= kMaxConcentration;
            values.push_back(usable ? std::optional<double>(number->Number()) : std::nullopt);
        }
    }
    return hours;
}

std::optional<int> IndividualIndex(AirTable table, double concentration)
{
    const Breakpoints& breakpoints = breakpointsOf(table);
    if (!(concentration >= 0))
        return std::nullopt;
    const double* values = breakpoints.values;
    int last = breakpoints.count - 1;
    if (concentration > values[last])
        return table == AirTable::O3EightHour ? std::nullopt : std::optional<int>(kIndexSteps[7]);
    int upper = 1;
    while (concentration > values[upper])
        ++upper;
    double low = values[upper - 1];
    double high = values[upper];
    double index = kIndexSteps[upper - 1] + (kIndexSteps[upper] - kIndexSteps[upper - 1]) * (concentration - low) / (high - low);
    // Rounded up to a whole index; the tolerance keeps an exact breakpoint
    // from rising by a rounding error of the division.
    return static_cast<int>(std::ceil(index - 1e-9));
}

std::optional<AirQualityIndex> ComputeAirQuality(const AirHours& hours, std::string_view currentHour)
{
    auto found = std::find(hours.times.begin(), hours.times.end(), currentHour);
    if (found == hours.times.end())
        return std::nullopt;
    auto current = static_cast<std::size_t>(found - hours.times.begin());

    AirQualityIndex result;
    std::optional<int> largest;
    for (std::size_t p = 0; p < kPollutantCount; ++p) {
        auto pollutant = static_cast<Pollutant>(p);
        const auto& values = hours[pollutant];
        if (values.size() != hours.times.size())
            continue;
        std::optional<int> index;
        if (pollutant == Pollutant::O3) {
            index = ozoneIndex(values, current);
        } else if (auto mean = meanEndingAt(values, current, kDailyHours, kDailyMinimum)) {
            if (pollutant == Pollutant::PM2_5)
                result.pm25Mean = mean;
            // CO's table is in mg/m³.
            index = IndividualIndex(dailyTable(pollutant), pollutant == Pollutant::CO ? *mean / 1000 : *mean);
        }
        result.individual[p] = index;
        if (index)
            largest = std::max(largest.value_or(*index), *index);
    }
    if (!largest)
        return std::nullopt;
    result.aqi = *largest;
    if (result.aqi > kGrades[0].upTo) {
        for (std::size_t p = 0; p < kPollutantCount; ++p) {
            if (result.individual[p] == result.aqi)
                result.primary.push_back(static_cast<Pollutant>(p));
        }
    }
    return result;
}

const AirGrade& GradeOf(int aqi)
{
    for (const AirGrade& grade : kGrades) {
        if (aqi <= grade.upTo)
            return grade;
    }
    return kGrades[std::size(kGrades) - 1];
}

const char* PollutantName(Pollutant pollutant)
{
    static constexpr const char* names[kPollutantCount] = { "PM2.5", "PM10", "SO2", "NO2", "CO", "O3" };
    return names[static_cast<std::size_t>(pollutant)];
}

}
