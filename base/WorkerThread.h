#pragma once

// Threads that never take the close signals (SIGINT, SIGTERM): those belong to
// the UI thread, whose handler wakes its message loop. A thread inherits its
// signal mask, so the signals are blocked around the thread's creation.

#include <csignal>
#include <thread>
#include <utility>

namespace nimbrell {

class CloseSignalsBlocked {
public:
    CloseSignalsBlocked();
    ~CloseSignalsBlocked();
    CloseSignalsBlocked(const CloseSignalsBlocked&) = delete;
    CloseSignalsBlocked& operator=(const CloseSignalsBlocked&) = delete;

private:
    sigset_t m_previous; // the caller's mask, restored on exit
};

template<typename Function>
std::thread StartWorkerThread(Function&& function)
{
    CloseSignalsBlocked blocked;
    return std::thread(std::forward<Function>(function));
}

}
