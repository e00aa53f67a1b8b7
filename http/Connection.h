// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A client connection the HTTP client talks through: plain TCP or TLS over TCP.
// Every wait it makes is bounded by the wait's own time-out and by the
// deadline of the whole fetch.

#include "http/ByteSource.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace nimbrell {

using FetchDeadline = std::optional<std::chrono::steady_clock::time_point>;

class Connection : public ByteSource {
public:
    // Sends all of `data`; throws SocketError on failure.
    virtual void Send(std::string_view data) = 0;
    virtual bool IsOpen() const = 0;
    // The peer has closed its side or sent bytes nobody asked for; either way
    // the connection cannot carry another exchange.
    virtual bool IsStale() = 0;
    // Bounds every later wait; nothing means no bound beyond each wait's own.
    virtual void SetDeadline(FetchDeadline deadline) = 0;
};

}
