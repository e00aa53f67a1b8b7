// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateThread.h"

#include "base/Text.h"
#include "base/Utf.h"
#include "base/WorkerThread.h"
#include "json/JsonReader.h"
#include "platform/MessageQueue.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace nimbrell {

namespace {

// The document is a few hundred bytes; a description beyond what the window
// can show would only cost memory and layout time.
constexpr std::int64_t kMaxDocumentSize = 1 << 20;
constexpr std::size_t kMaxDescriptionCharacters = 2000;

// The optional digest member: absent or null means none. A value that cannot
// be read as text is kept as a text no digest matches, so the download that
// relies on it is refused rather than left unchecked.
std::string readDigest(const TxJSONobject& fields)
{
    const TxJSONbase* value = fields.OldGetField(u"sha256");
    if (!value || value->SelfType() == TxJSONtypes::jsNull)
        return {};
    try {
        return ReadMemberTextUtf8(fields, u"sha256");
    } catch (const TxJSONerror&) {
        return "unreadable";
    }
}

// Decimal digits with an optional sign; anything else, or a value beyond 64
// bits, is an error.
std::int64_t parseStamp(const std::string& text)
{
    auto value = ParseDecimalInt64(text);
    if (!value)
        throw std::runtime_error("'" + text + "' is not a valid integer value");
    return *value;
}

}

std::string UpdateAddress(const std::string& host)
{
    return "http://" + host + "/weather/updateInfo.html";
}

void ThreadUpdate::Start(UpdateCheckRequest request)
{
    ProgramWorkers().Start([request = std::move(request)](std::stop_token stop) { Run(request, stop); });
}

void ThreadUpdate::Run(const UpdateCheckRequest& request, std::stop_token stop)
{
    UpdateOffer offer;
    auto post = [&](std::uint32_t message, platform::LPARAM lParam) {
        if (stop.stop_requested())
            return;
        request.offer->Store(std::move(offer));
        platform::PostMessage(request.window, message, 0, lParam);
    };

    std::string body;
    try {
        PageFetchOptions options = request.fetch;
        options.maxBodySize = std::min(options.maxBodySize, kMaxDocumentSize);
        body = FetchPage(UpdateAddress(request.host), PageEncoding::SystemCodePage, options);
    } catch (...) {
        return;
    }
    if (body.find("{\"updateInfo\"") == std::string::npos)
        return;

    auto root = TxJSON::ParseText(body);
    if (root && !AsObject(root.get()))
        return;
    try {
        const TxJSONobject* document = AsObject(root.get());
        if (!document)
            throw std::runtime_error("The update document is not JSON");
        const TxJSONbase* info = document->OldGetField(u"updateInfo");
        if (!info)
            throw std::runtime_error("The update document has no updateInfo");
        const TxJSONobject* fields = AsObject(info);
        if (!fields)
            return;
        std::int64_t offered = parseStamp(ReadMemberTextUtf8(*fields, u"versionDate"));
        if (offered <= request.buildStamp) {
            post(kUpdateOfferedMessage, 0);
            return;
        }
        offer.url = ReadMemberTextUtf8(*fields, u"url");
        offer.name = ReadMemberTextUtf8(*fields, u"name");
        offer.description = std::string(Utf8FirstCharacters(ReadMemberTextUtf8(*fields, u"description"), kMaxDescriptionCharacters));
        offer.sha256 = readDigest(*fields);
    } catch (...) {
        post(kUpdateFailedMessage, 1);
        return;
    }
    post(kUpdateOfferedMessage, 1);
}

}
