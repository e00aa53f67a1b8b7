// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A window that keeps every message it receives, for tests of code that reports
// by posting messages.

#include "platform/Application.h"
#include "platform/Window.h"

#include <vector>

namespace nimbrell::testing {

class MessageRecorder : public platform::Window {
public:
    std::vector<platform::Message> received;

    // (code, lParam) of every message received, in order.
    std::vector<std::pair<std::uint32_t, platform::LPARAM>> Codes() const
    {
        std::vector<std::pair<std::uint32_t, platform::LPARAM>> codes;
        for (const auto& message : received)
            codes.emplace_back(message.message, message.lParam);
        return codes;
    }

protected:
    void OnMessage(platform::Message& message) override { received.push_back(message); }
};

}
