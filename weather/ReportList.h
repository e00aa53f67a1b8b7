#pragma once

// One day's weather report and the lock-protected list the weather workers fill
// and the main window reads. The list is shared (std::shared_ptr) between the
// main window and every worker still running, so it stays valid for a worker
// that finishes after the window has closed.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace nimbrell {

struct TInfo {
    std::string tianQi; // weather description
    std::string wenDu;  // temperature range: high "~" low
    std::string fengLi; // wind
};

class ReportList {
public:
    // Access under the list's lock; the lock is held while the Locked object lives.
    class Locked {
    public:
        explicit Locked(ReportList& list)
            : m_lock(list.m_mutex)
            , m_records(list.m_records)
        {
        }
        std::vector<TInfo>& operator*() { return m_records; }
        std::vector<TInfo>* operator->() { return &m_records; }

    private:
        std::unique_lock<std::mutex> m_lock;
        std::vector<TInfo>& m_records;
    };

    Locked Lock() { return Locked(*this); }

private:
    std::mutex m_mutex;
    std::vector<TInfo> m_records;
};

using SharedReportList = std::shared_ptr<ReportList>;

}
