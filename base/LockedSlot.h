// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A value one thread stores whole and another loads whole: a worker's result
// handed over just before the worker posts its message, so the reader never
// sees a half-written one, even from a worker that outlives its window.

#include <mutex>

namespace nimbrell {

template<typename T>
class LockedSlot {
public:
    void Store(T value)
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }
    T Load() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }

private:
    mutable std::mutex m_mutex;
    T m_value {};
};

}
