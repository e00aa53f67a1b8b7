// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageQueue.h"

#include <cerrno>
#include <cstdint>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>

namespace nimbrell::platform {

namespace {

struct QueueState {
    std::mutex mutex;
    std::unordered_map<HWND, MessageTarget*> windows;
    std::deque<Message> messages;
    HWND nextHandle { 1 };
    int wakeFd { -1 };
};

// Never destroyed: detached workers may post during or after static destruction.
QueueState& state()
{
    static QueueState* instance = [] {
        auto* created = new QueueState;
        created->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (created->wakeFd < 0)
            throw std::runtime_error("Cannot create the message queue's event descriptor");
        return created;
    }();
    return *instance;
}

}

HWND RegisterWindow(MessageTarget& target)
{
    auto& queue = state();
    std::lock_guard lock(queue.mutex);
    HWND handle = queue.nextHandle++;
    queue.windows.emplace(handle, &target);
    return handle;
}

void UnregisterWindow(HWND hwnd)
{
    auto& queue = state();
    std::lock_guard lock(queue.mutex);
    queue.windows.erase(hwnd);
    std::erase_if(queue.messages, [hwnd](const Message& message) { return message.hwnd == hwnd; });
}

MessageTarget* TargetOf(HWND hwnd)
{
    auto& queue = state();
    std::lock_guard lock(queue.mutex);
    auto found = queue.windows.find(hwnd);
    return found == queue.windows.end() ? nullptr : found->second;
}

bool IsWindow(HWND hwnd)
{
    return TargetOf(hwnd) != nullptr;
}

bool PostMessage(HWND hwnd, std::uint32_t message, WPARAM wParam, LPARAM lParam)
{
    auto& queue = state();
    {
        std::lock_guard lock(queue.mutex);
        if (!queue.windows.contains(hwnd))
            return false;
        queue.messages.push_back(Message { hwnd, message, wParam, lParam });
    }
    WakeMessageLoop();
    return true;
}

std::optional<Message> TakeQueuedMessage(HWND hwnd, std::uint32_t code)
{
    auto& queue = state();
    std::lock_guard lock(queue.mutex);
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if ((hwnd == 0 || it->hwnd == hwnd) && (code == 0 || it->message == code)) {
            Message message = *it;
            queue.messages.erase(it);
            return message;
        }
    }
    return std::nullopt;
}

void DiscardQueuedMessages()
{
    auto& queue = state();
    std::lock_guard lock(queue.mutex);
    queue.messages.clear();
}

int WakeFd()
{
    return state().wakeFd;
}

void DrainWakeFd()
{
    std::uint64_t count;
    while (read(state().wakeFd, &count, sizeof count) > 0) {
    }
}

void WakeMessageLoop()
{
    std::uint64_t one = 1;
    int saved = errno;
    // Fails only when the counter is saturated, which still leaves it readable.
    [[maybe_unused]] auto written = write(state().wakeFd, &one, sizeof one);
    errno = saved;
}

}
