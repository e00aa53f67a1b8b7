// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/WeatherThread.h"

#include "base/WorkerThread.h"
#include "json/JsonReader.h"
#include "platform/MessageQueue.h"
#include "weather/ForecastDate.h"
#include "weather/KeptForecast.h"
#include "weather/TextEncoding.h"

#include <stdexcept>
#include <thread>

namespace nimbrell {

namespace {

constexpr int days = 6;
// The position source's answer is about a kilobyte.
constexpr std::int64_t kMaxPositionAnswer = 1 << 20;

std::u16string memberName(const char* stem, int day)
{
    std::u16string name;
    for (const char* c = stem; *c; ++c)
        name += static_cast<char16_t>(*c);
    return name + static_cast<char16_t>(u'0' + day);
}

// The description passes through the system code page, so what it cannot
// represent arrives as "?".
std::string throughSystemCodePage(const std::string& text)
{
    return DecodeSystemCodePage(EncodeSystemCodePage(text));
}

// Reads the classic document into the list; returns the complete six reports
// when they were all appended for the current request.
std::optional<std::vector<TInfo>> readClassicReports(const std::string& body, ReportList& reports, std::uint64_t requestNumber)
{
    auto root = TxJSON::ParseText(body);
    const TxJSONobject* document = AsObject(root.get());
    if (!document)
        throw std::runtime_error("The forecast document is not a JSON object");
    const TxJSONbase* info = document->OldGetField(u"weatherinfo");
    if (!info)
        throw std::runtime_error("The forecast document has no weatherinfo");
    const TxJSONobject* days6 = AsObject(info);
    if (!days6)
        return std::nullopt;

    auto records = reports.LockFor(requestNumber);
    if (!records)
        return std::nullopt;
    std::vector<TInfo> appended;
    for (int day = 1; day <= days; ++day) {
        TInfo report;
        report.wenDu = ReadMemberTextUtf8(*days6, memberName("temp", day));
        report.tianQi = throughSystemCodePage(ReadMemberTextUtf8(*days6, memberName("weather", day)));
        report.fengLi = ReadMemberTextUtf8(*days6, memberName("wind", day));
        (*records)->push_back(report);
        appended.push_back(std::move(report));
    }
    return appended;
}

std::optional<std::vector<TInfo>> readPositionReports(const WeatherRequest& request)
{
    if (!request.position)
        throw std::runtime_error("No position is known for city " + request.areaCode);
    PageFetchOptions options = request.fetch;
    options.maxBodySize = std::min(options.maxBodySize, kMaxPositionAnswer);
    options.userAgent = ServiceUserAgent();
    std::string answer = FetchPage(PositionForecastAddress(request.forecastUrl, *request.position), PageEncoding::Utf8, options);
    PositionAnswer read = ReadPositionAnswer(answer);
    auto records = request.reports->LockFor(request.requestNumber);
    if (!records)
        return std::nullopt;
    (*records)->insert((*records)->end(), read.reports.begin(), read.reports.end());
    records->Extras().current = std::move(read.current);
    return read.reports;
}

void keep(const WeatherRequest& request, const std::vector<TInfo>& reports)
{
    if (request.keptDirectory.empty() || !request.reports->IsCurrent(request.requestNumber))
        return;
    try {
        // The classic document does not date its days: day 1 is today in China.
        KeepForecast(request.keptDirectory, request.areaCode, reports[0].day.ok() ? reports[0].day : ChinaToday(), reports);
    } catch (const std::exception&) {
        // Keeping is a convenience for the next start; the result stands without it.
    }
}

}

std::string WeatherAddress(const std::string& host, const std::string& areaCode)
{
    return "http://" + host + "/data/" + areaCode + ".html";
}

void TWeatherThread::Start(WeatherRequest request)
{
    ProgramWorkers().Start([request = std::move(request)](std::stop_token stop) { Run(request, stop); });
}

void TWeatherThread::Run(const WeatherRequest& request, std::stop_token stop)
{
    auto number = static_cast<platform::WPARAM>(request.requestNumber);
    try {
        std::optional<std::vector<TInfo>> reports;
        if (request.host.empty()) {
            reports = readPositionReports(request);
        } else {
            std::string body = FetchPage(WeatherAddress(request.host, request.areaCode), PageEncoding::Utf8, request.fetch);
            reports = readClassicReports(body, *request.reports, request.requestNumber);
        }
        if (stop.stop_requested())
            return;
        if (reports) {
            if (auto records = request.reports->LockFor(request.requestNumber))
                records->Extras().fetched = std::time(nullptr);
            keep(request, *reports);
        }
    } catch (...) {
        platform::PostMessage(request.window, kWeatherFailedMessage, number, 1);
        return;
    }
    platform::PostMessage(request.window, kWeatherReadyMessage, number, 1);
}

}
