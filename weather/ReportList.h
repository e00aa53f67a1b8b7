// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lock-protected list of daily reports the weather workers fill and the
// main window reads, with what came beside them (the conditions now, the air). The list is shared (std::shared_ptr) between the
// main window and every worker still running, so it stays valid for a worker
// that finishes after the window has closed.
//
// Each weather request has a number. Beginning a request empties the list, and
// from then on only the worker of that request may write into it: a worker of
// an older request (another city, perhaps) that finishes late finds the list
// closed to it.

#include "weather/AirQuality.h"
#include "weather/WeatherReport.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace nimbrell {

// What a request gives besides the six days.
struct WeatherExtras {
    std::time_t fetched { 0 };                // when the forecast arrived; 0: not yet
    std::optional<CurrentConditions> current; // the position source's conditions now
    std::optional<AirQualityIndex> air;       // nothing until a good air answer arrived
};

class ReportList {
public:
    // Access under the list's lock; the lock is held while the Locked object lives.
    class Locked {
    public:
        explicit Locked(ReportList& list)
            : m_lock(list.m_mutex)
            , m_records(list.m_records)
            , m_extras(list.m_extras)
        {
        }
        std::vector<TInfo>& operator*() { return m_records; }
        std::vector<TInfo>* operator->() { return &m_records; }
        WeatherExtras& Extras() { return m_extras; }

    private:
        std::unique_lock<std::mutex> m_lock;
        std::vector<TInfo>& m_records;
        WeatherExtras& m_extras;
    };

    Locked Lock() { return Locked(*this); }

    // Empties the list for request `number`; writes of other requests are refused from now on.
    void BeginRequest(std::uint64_t number)
    {
        Locked records(*this);
        records->clear();
        records.Extras() = {};
        m_currentRequest = number;
    }
    // The list under its lock for request `number`, or nothing when a newer
    // request has begun since.
    std::optional<Locked> LockFor(std::uint64_t number)
    {
        std::optional<Locked> records(std::in_place, *this);
        if (m_currentRequest != number)
            records.reset();
        return records;
    }
    bool IsCurrent(std::uint64_t number)
    {
        Locked records(*this);
        return m_currentRequest == number;
    }

private:
    std::mutex m_mutex;
    std::vector<TInfo> m_records;
    WeatherExtras m_extras;
    std::uint64_t m_currentRequest { 0 }; // guarded by m_mutex
};

using SharedReportList = std::shared_ptr<ReportList>;

}
