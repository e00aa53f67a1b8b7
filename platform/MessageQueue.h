// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The process-wide window registry and posted-message queue. Posting is safe
// from any thread at any time, also while or after the UI side shuts down, so
// that worker threads that outlive a window can still post harmlessly.

#include "platform/Message.h"

#include <optional>

namespace nimbrell::platform {

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void WindowProc(Message& message) = 0;
};

// UI thread only. The target must stay alive until it is unregistered.
HWND RegisterWindow(MessageTarget& target);
// UI thread only. Drops the messages still queued for the handle.
void UnregisterWindow(HWND hwnd);
// UI thread only.
MessageTarget* TargetOf(HWND hwnd);

bool IsWindow(HWND hwnd);

// Any thread. Returns false, and queues nothing, when hwnd is not a window.
bool PostMessage(HWND hwnd, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// Removes and returns the oldest queued message; with hwnd or code nonzero, the
// oldest one for that window or of that code.
std::optional<Message> TakeQueuedMessage(HWND hwnd = 0, std::uint32_t code = 0);

// Drops every queued message (a new application starts with an empty queue).
void DiscardQueuedMessages();

// A file descriptor that becomes readable when a message is posted; drained by
// DrainWakeFd. WakeMessageLoop is async-signal-safe.
int WakeFd();
void DrainWakeFd();
void WakeMessageLoop();

}
