// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The UI thread's application object: the message loop with its hook, window
// timers, modal loops, the error handler and the close signals. One exists at
// a time; Application::Instance() reaches it.

#include "platform/Backend.h"
#include "platform/Message.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace nimbrell::platform {

class Application {
public:
    explicit Application(std::unique_ptr<Backend> backend);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& Instance();
    static bool Exists();

    Backend& GetBackend() { return *m_backend; }

    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }

    // Sees every message taken from the queue (timer messages too) before it is
    // dispatched; setting handled stops the dispatch.
    using MessageHook = std::function<void(Message& message, bool& handled)>;
    void SetMessageHook(MessageHook hook) { m_hook = std::move(hook); }

    // WM_TIMER with wParam = id reaches hwnd each time the interval has passed.
    // Setting the interval a timer already has keeps its countdown; another
    // interval restarts it.
    void SetTimer(HWND hwnd, std::uintptr_t id, std::uint32_t intervalMs);
    void KillTimer(HWND hwnd, std::uintptr_t id);

    std::uint64_t TickCount() { return m_backend->TickCount(); }

    // Removes the oldest queued message of this code for hwnd (hwnd 0: any window).
    bool PeekMessage(Message& out, HWND hwnd, std::uint32_t code);

    // Dispatches one available message without waiting; false when none was.
    bool ProcessMessage();
    // Dispatches every message available now.
    void ProcessMessages();
    // Waits for at least one message or event, then dispatches what is available.
    void HandleMessage();

    // Runs the loop until the main window closes or Terminate is called.
    void Run(HWND mainWindow);
    // A nested loop for a modal window: runs until done() or termination.
    void RunModal(const std::function<bool()>& done);

    void Terminate() { m_terminated = true; }
    bool Terminated() const { return m_terminated; }

    HWND MainWindow() const { return m_mainWindow; }
    void SetMainWindow(HWND hwnd) { m_mainWindow = hwnd; }

    // The UI thread's error handler: the error's text in a message box whose
    // caption is the title; the program runs on.
    void ShowException(const std::exception& error);
    void ShowMessage(const std::string& text);

    // SIGTERM and SIGINT close the main window as a user would; another one at
    // least a second after the first ends the program at once (status 128 +
    // signal), while one sooner is taken as a copy of the first. Threads started with
    // StartWorkerThread (base/WorkerThread.h) never receive them.
    void InstallCloseSignals();
    // Whether one of those signals has come: a message box stops waiting for
    // its answer then, so that the program can close.
    static bool CloseSignalled();

private:
    struct TimerState {
        std::uint32_t interval { 0 };
        std::uint64_t due { 0 };
    };
    using TimerKey = std::pair<HWND, std::uintptr_t>;

    bool NextMessage(Message& out);
    bool TakeDueTimer(Message& out);
    int MillisecondsToNextTimer();
    void Dispatch(Message& message);
    void CheckCloseSignal();

    std::unique_ptr<Backend> m_backend;
    std::string m_title;
    MessageHook m_hook;
    std::map<TimerKey, TimerState> m_timers;
    HWND m_mainWindow { 0 };
    bool m_terminated { false };
};

}
