// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Progress notifications of body reading. Begin/end pairs nest: only the
// outermost pair reaches the listener, and work is reported only between them,
// as the cumulative count of bytes since the outermost begin.

#include <cstdint>
#include <functional>

namespace nimbrell {

enum class WorkMode {
    Read
};

struct HttpProgressListener {
    std::function<void(WorkMode, std::int64_t expectedSize)> workBegin;
    std::function<void(WorkMode, std::int64_t count)> work;
    std::function<void(WorkMode)> workEnd;
};

class ProgressTracker {
public:
    void SetListener(HttpProgressListener listener) { m_listener = std::move(listener); }

    void Begin(std::int64_t expectedSize)
    {
        if (m_depth++ > 0)
            return;
        m_count = 0;
        if (m_listener.workBegin)
            m_listener.workBegin(WorkMode::Read, expectedSize);
    }

    void Add(std::int64_t bytes)
    {
        if (m_depth == 0)
            return;
        m_count += bytes;
        if (m_listener.work)
            m_listener.work(WorkMode::Read, m_count);
    }

    void End()
    {
        if (m_depth == 0 || --m_depth > 0)
            return;
        if (m_listener.workEnd)
            m_listener.workEnd(WorkMode::Read);
    }

private:
    HttpProgressListener m_listener;
    int m_depth { 0 };
    std::int64_t m_count { 0 };
};

// Ends a begun piece of work on every path out of a scope, errors included.
class ProgressScope {
public:
    ProgressScope(ProgressTracker& tracker, std::int64_t expectedSize)
        : m_tracker(tracker)
    {
        m_tracker.Begin(expectedSize);
    }
    ~ProgressScope() { m_tracker.End(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressTracker& m_tracker;
};

}
