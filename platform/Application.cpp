// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"

#include "platform/MessageQueue.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <csignal>
#include <limits>
#include <stdexcept>
#include <unistd.h>

namespace nimbrell::platform {

namespace {

Application* g_instance = nullptr;
// Written by the signal handler, so lock-free atomics only.
std::atomic<bool> g_closeRequested { false };
// Monotonic milliseconds of the first close signal; 0 before it.
std::atomic<std::int64_t> g_firstCloseSignalMs { 0 };
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<std::int64_t>::is_always_lock_free);

// A second copy of the signal within this time is the same request: `timeout`
// and session managers send it to the process and then to its group.
constexpr std::int64_t kRepeatedSignalMs = 1000;

std::int64_t monotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now); // async-signal-safe
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000 + 1;
}

extern "C" void onCloseSignal(int signal)
{
    // The first signal closes the main window as a user would; another one a
    // second or more later, while that close still runs (or hangs), ends the
    // program at once.
    std::int64_t now = monotonicMs();
    std::int64_t first = 0;
    if (!g_firstCloseSignalMs.compare_exchange_strong(first, now)) {
        if (now - first >= kRepeatedSignalMs)
            _exit(128 + signal);
        return;
    }
    g_closeRequested.store(true);
    WakeMessageLoop();
}

}

Application::Application(std::unique_ptr<Backend> backend)
    : m_backend(std::move(backend))
{
    if (g_instance)
        throw std::logic_error("An application object exists already");
    DiscardQueuedMessages();
    DrainWakeFd();
    g_instance = this;
}

Application::~Application()
{
    g_instance = nullptr;
}

Application& Application::Instance()
{
    if (!g_instance)
        throw std::logic_error("No application object exists");
    return *g_instance;
}

bool Application::Exists()
{
    return g_instance != nullptr;
}

void Application::SetTimer(HWND hwnd, std::uintptr_t id, std::uint32_t intervalMs)
{
    // Shorter intervals would let a timer starve the loop.
    constexpr std::uint32_t minimumInterval = 10;
    intervalMs = std::max(intervalMs, minimumInterval);
    auto& timer = m_timers[{ hwnd, id }];
    if (timer.interval == intervalMs && timer.due != 0)
        return;
    timer.interval = intervalMs;
    timer.due = TickCount() + intervalMs;
}

void Application::KillTimer(HWND hwnd, std::uintptr_t id)
{
    m_timers.erase({ hwnd, id });
}

bool Application::PeekMessage(Message& out, HWND hwnd, std::uint32_t code)
{
    auto message = TakeQueuedMessage(hwnd, code);
    if (!message)
        return false;
    out = *message;
    return true;
}

bool Application::TakeDueTimer(Message& out)
{
    std::uint64_t now = TickCount();
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        auto& [key, timer] = *it;
        if (!IsWindow(key.first)) {
            it = m_timers.erase(it);
            continue;
        }
        if (timer.due <= now) {
            timer.due = now + timer.interval;
            out = Message { key.first, WM_TIMER, key.second, 0 };
            return true;
        }
        ++it;
    }
    return false;
}

int Application::MillisecondsToNextTimer()
{
    if (m_timers.empty())
        return -1;
    std::uint64_t now = TickCount();
    std::uint64_t soonest = std::numeric_limits<std::uint64_t>::max();
    for (const auto& [key, timer] : m_timers)
        soonest = std::min(soonest, timer.due);
    if (soonest <= now)
        return 0;
    return static_cast<int>(std::min<std::uint64_t>(soonest - now, std::numeric_limits<int>::max()));
}

bool Application::NextMessage(Message& out)
{
    // Posted messages first; a timer message is produced only when nothing else waits.
    if (auto message = TakeQueuedMessage()) {
        out = *message;
        return true;
    }
    return TakeDueTimer(out);
}

void Application::Dispatch(Message& message)
{
    try {
        bool handled = false;
        if (m_hook)
            m_hook(message, handled);
        if (handled)
            return;
        if (auto* target = TargetOf(message.hwnd))
            target->WindowProc(message);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowMessage("Unknown error");
    }
}

bool Application::ProcessMessage()
{
    CheckCloseSignal();
    Message message;
    if (!NextMessage(message))
        return false;
    Dispatch(message);
    return true;
}

void Application::ProcessMessages()
{
    while (!m_terminated && ProcessMessage()) {
    }
}

void Application::HandleMessage()
{
    DrainWakeFd();
    if (ProcessMessage()) {
        ProcessMessages();
        return;
    }
    m_backend->WaitForEvents(WakeFd(), MillisecondsToNextTimer());
    ProcessMessages();
}

void Application::Run(HWND mainWindow)
{
    m_mainWindow = mainWindow;
    while (!m_terminated && IsWindow(m_mainWindow))
        HandleMessage();
}

void Application::RunModal(const std::function<bool()>& done)
{
    while (!m_terminated && !done())
        HandleMessage();
}

void Application::ShowException(const std::exception& error)
{
    ShowMessage(error.what());
}

void Application::ShowMessage(const std::string& text)
{
    m_backend->ShowMessageBox(text, m_title);
}

void Application::InstallCloseSignals()
{
    struct sigaction action { };
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool Application::CloseSignalled()
{
    return g_firstCloseSignalMs.load() != 0;
}

void Application::CheckCloseSignal()
{
    if (!g_closeRequested.exchange(false))
        return;
    if (!PostMessage(m_mainWindow, WM_CLOSE, 0, 0))
        Terminate();
}

}
