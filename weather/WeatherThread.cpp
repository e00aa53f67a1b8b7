#include "weather/WeatherThread.h"

#include "base/WorkerThread.h"
#include "json/JsonReader.h"
#include "platform/MessageQueue.h"
#include "weather/TextEncoding.h"

#include <stdexcept>
#include <thread>

namespace nimbrell {

namespace {

constexpr int days = 6;

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

void readReports(const std::string& body, ReportList& reports)
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
        return;

    auto records = reports.Lock();
    for (int day = 1; day <= days; ++day) {
        TInfo report;
        report.wenDu = ReadMemberTextUtf8(*days6, memberName("temp", day));
        report.tianQi = throughSystemCodePage(ReadMemberTextUtf8(*days6, memberName("weather", day)));
        report.fengLi = ReadMemberTextUtf8(*days6, memberName("wind", day));
        records->push_back(std::move(report));
    }
}

}

std::string WeatherAddress(const std::string& host, const std::string& areaCode)
{
    return "http://" + host + "/data/" + areaCode + ".html";
}

void TWeatherThread::Start(WeatherRequest request)
{
    StartWorkerThread([request = std::move(request)] { Run(request); }).detach();
}

void TWeatherThread::Run(const WeatherRequest& request)
{
    try {
        std::string body = FetchPage(WeatherAddress(request.host, request.areaCode), PageEncoding::Utf8, request.fetch);
        readReports(body, *request.reports);
    } catch (...) {
        platform::PostMessage(request.window, kWeatherFailedMessage, 0, 1);
        return;
    }
    platform::PostMessage(request.window, kWeatherReadyMessage, 0, 1);
}

}
