// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WorkerThread.h"

#include <algorithm>

#include <pthread.h>

namespace nimbrell {

CloseSignalsBlocked::CloseSignalsBlocked()
{
    sigset_t closing;
    sigemptyset(&closing);
    sigaddset(&closing, SIGINT);
    sigaddset(&closing, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &closing, &m_previous);
}

CloseSignalsBlocked::~CloseSignalsBlocked()
{
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

WorkerSet::~WorkerSet()
{
    StopAll(std::chrono::milliseconds::max());
}

void WorkerSet::Start(std::function<void(std::stop_token)> work)
{
    std::lock_guard lock(m_mutex);
    joinEnded();
    if (m_stop.stop_requested())
        return;
    auto worker = m_workers.emplace(m_workers.end());
    worker->thread = StartWorkerThread([this, worker, work = std::move(work), token = m_stop.get_token()] {
        work(token);
        std::lock_guard lock(m_mutex);
        worker->ended = true;
        m_ended.notify_all();
    });
}

bool WorkerSet::StopAll(std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_mutex);
    m_stop.request_stop();
    auto allEnded = [this] {
        return std::all_of(m_workers.begin(), m_workers.end(), [](const Worker& worker) { return worker.ended; });
    };
    if (bound == std::chrono::milliseconds::max())
        m_ended.wait(lock, allEnded);
    else
        m_ended.wait_for(lock, bound, allEnded);
    joinEnded();
    return m_workers.empty();
}

int WorkerSet::Running()
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_workers.begin(), m_workers.end(), [](const Worker& worker) { return !worker.ended; }));
}

// A worker marks itself ended as its last step, so joining it waits only for its thread
// to finish returning.
void WorkerSet::joinEnded()
{
    for (auto worker = m_workers.begin(); worker != m_workers.end();) {
        if (worker->ended) {
            worker->thread.join();
            worker = m_workers.erase(worker);
        } else {
            ++worker;
        }
    }
}

WorkerSet& ProgramWorkers()
{
    static auto* workers = new WorkerSet;
    return *workers;
}

}
