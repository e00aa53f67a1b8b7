// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Threads that never take the close signals (SIGINT, SIGTERM): those belong to
// the UI thread, whose handler wakes its message loop. A thread inherits its
// signal mask, so the signals are blocked around the thread's creation.

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <list>
#include <mutex>
#include <stop_token>
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

// Workers that the UI thread starts and does not wait for. Each gets a stop token; on the
// way out StopAll asks them all to stop and joins them, so that none still runs while the
// program's static objects are destroyed.
class WorkerSet {
public:
    WorkerSet() = default;
    // Stops and joins every worker, without bound.
    ~WorkerSet();
    WorkerSet(const WorkerSet&) = delete;
    WorkerSet& operator=(const WorkerSet&) = delete;

    // Starts `work` on a thread of its own (with the close signals blocked). Once StopAll
    // has been called nothing more starts.
    void Start(std::function<void(std::stop_token)> work);

    // Asks every worker to stop and waits up to `bound` for all of them to end, joining
    // each that did. False when one still runs, held in a wait that does not see its
    // token: the program must then end without destroying its static objects.
    bool StopAll(std::chrono::milliseconds bound);

    // How many workers have not ended yet.
    int Running();

private:
    struct Worker {
        std::thread thread;
        bool ended { false };
    };

    void joinEnded();

    std::mutex m_mutex;
    std::condition_variable m_ended;
    std::stop_source m_stop;
    std::list<Worker> m_workers;
};

// The program's workers (weather, air quality, update check, download). Never destroyed,
// since a worker left running past StopAll may still reach it.
WorkerSet& ProgramWorkers();

}
