#pragma once

// The update-check worker: asks the update-information host once per start
// whether a newer build than the running one is offered, keeps the offer and
// tells the main window (11123 with 1: offered, 0: not newer; 11122: failed).

#include "platform/Message.h"
#include "weather/PageFetch.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nimbrell {

inline constexpr std::uint32_t UpdateOfferedMessage = 11123;
inline constexpr std::uint32_t UpdateFailedMessage = 11122;

// What a newer build offers. Written by the worker before it posts its message
// and read on the UI thread only after that message, so it needs no lock.
struct UpdateOffer {
    std::string url;
    std::string name;
    std::string description;
    // Optional: the download's SHA-256 digest as hexadecimal text. Empty when
    // the document names none; when it names one, a download must match it.
    std::string sha256;
};

struct UpdateCheckRequest {
    std::string host; // HOST[:PORT] of the update-information service
    platform::HWND window { 0 };
    std::int64_t buildStamp { 0 };
    std::shared_ptr<UpdateOffer> offer;
    PageFetchOptions fetch;
};

std::string UpdateAddress(const std::string& host);

class ThreadUpdate {
public:
    // Starts the worker on a thread of its own; nothing is kept of it.
    static void Start(UpdateCheckRequest request);
    // The worker's whole run on the calling thread.
    static void Run(const UpdateCheckRequest& request);
};

}
