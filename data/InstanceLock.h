// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One running widget per settings folder. The running copy holds an flock on a
// lock file named after the folder, so the lock ends with its process and is
// never stale; beside it a Unix socket hears later starts, which ask the
// running copy to come back and then leave.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace nimbrell {

class InstanceLock {
public:
    struct Place {
        std::string lockFile;
        std::string socketFile;
    };

    // The lock and socket of a settings folder: files named after a hash of
    // its canonical path, in the first of `folders` (private folders, each
    // ending with a slash) whose socket path fits a socket address. None when
    // no folder will do.
    static std::optional<Place> PlaceFor(const std::string& settingsFolder, const std::vector<std::string>& folders);

    // Takes the lock and listens on the socket (a stale socket file is
    // replaced); null when another process holds the lock. Throws
    // std::system_error when the files cannot be made.
    static std::unique_ptr<InstanceLock> TryTake(const Place& place);

    // For a start that found the lock held: asks the copy holding it to come
    // back. True once that copy has acknowledged; false when none answered
    // within the time (none listens yet, or it is gone).
    static bool AskRunningCopy(const Place& place, std::chrono::milliseconds within);

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Hears later starts on a thread of its own: onRequest runs there once
    // for each, before the asking start is acknowledged. Requests that came
    // before waited in the socket's queue.
    void Listen(std::function<void()> onRequest);
    // Ends the listening; requests after it find no one. Idempotent.
    void StopListening();

    const Place& Where() const { return m_place; }

private:
    InstanceLock(Place place, int lockFd, int listenFd, int stopFd);
    void Serve(const std::function<void()>& onRequest);

    Place m_place;
    int m_lockFd { -1 };
    int m_listenFd { -1 };
    int m_stopFd { -1 };
    std::thread m_listener;
};

}
