// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The update-check worker: asks the update-information host once per start
// whether a newer build than the running one is offered, hands the offer over
// (also what it read of a failed one) and tells the main window (11123 with 1: offered, 0: not newer; 11122: failed).

#include "base/LockedSlot.h"
#include "platform/Message.h"
#include "weather/PageFetch.h"

#include <stop_token>
#include <cstdint>
#include <memory>
#include <string>

namespace nimbrell {

inline constexpr std::uint32_t kUpdateOfferedMessage = 11123;
inline constexpr std::uint32_t kUpdateFailedMessage = 11122;

// What a newer build offers.
struct UpdateOffer {
    std::string url;
    std::string name;
    std::string description;
    // Optional: the download's SHA-256 digest as hexadecimal text. Empty when
    // the document names none; when it names one, a download must match it.
    std::string sha256;
};

// Where the worker hands its offer over: stored whole just before it posts its message.
using UpdateOfferSlot = LockedSlot<UpdateOffer>;

struct UpdateCheckRequest {
    std::string host; // HOST[:PORT] of the update-information service
    platform::HWND window { 0 };
    std::int64_t buildStamp { 0 };
    std::shared_ptr<UpdateOfferSlot> offer;
    PageFetchOptions fetch;
};

std::string UpdateAddress(const std::string& host);

class ThreadUpdate {
public:
    // Starts the worker on a thread of its own; nothing is kept of it.
    static void Start(UpdateCheckRequest request);
    // The worker's whole run on the calling thread.
    // A stopped worker hands nothing back (see WorkerSet).
    static void Run(const UpdateCheckRequest& request, std::stop_token stop = {});
};

}
