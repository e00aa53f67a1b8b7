// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/InstanceLock.h"

#include "base/WorkerThread.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace nimbrell {

namespace {

constexpr std::string_view kRequest = "show\n";
constexpr std::string_view kAnswer = "ok\n";
// How long the running copy waits for a connected start to say what it wants.
constexpr int kRequestWaitMs = 1000;

std::uint64_t fnv1a(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string canonical(const std::string& folder)
{
    char* resolved = realpath(folder.c_str(), nullptr);
    if (!resolved)
        return folder;
    std::string path = resolved;
    std::free(resolved);
    return path;
}

bool fillAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

[[noreturn]] void throwErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Waits until fd is readable (true) or stopFd is, or the time passes (false).
bool readable(int fd, int stopFd, int timeoutMs)
{
    pollfd watched[2] = { { fd, POLLIN, 0 }, { stopFd, POLLIN, 0 } };
    int count = stopFd >= 0 ? 2 : 1;
    for (;;) {
        int ready = poll(watched, count, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0 && !(count == 2 && watched[1].revents) && watched[0].revents;
    }
}

// Reads up to want.size() bytes within timeoutMs; whether they were want.
bool readExactly(int fd, std::string_view want, int stopFd, int timeoutMs)
{
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < want.size()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !readable(fd, stopFd, static_cast<int>(left)))
            return false;
        char buffer[16];
        ssize_t count = read(fd, buffer, std::min(sizeof buffer, want.size() - got.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        got.append(buffer, static_cast<std::size_t>(count));
    }
    return got == want;
}

bool writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        ssize_t count = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

}

std::optional<InstanceLock::Place> InstanceLock::PlaceFor(const std::string& settingsFolder, const std::vector<std::string>& folders)
{
    char name[32];
    std::snprintf(name, sizeof name, "widget-%016llx", static_cast<unsigned long long>(fnv1a(canonical(settingsFolder))));
    for (const auto& folder : folders) {
        Place place { folder + name + ".lock", folder + name + ".socket" };
        sockaddr_un address;
        if (fillAddress(place.socketFile, address))
            return place;
    }
    return std::nullopt;
}

std::unique_ptr<InstanceLock> InstanceLock::TryTake(const Place& place)
{
    int lockFd = open(place.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0)
        throwErrno("cannot open " + place.lockFile);
    if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(lockFd);
        if (error == EWOULDBLOCK)
            return nullptr;
        errno = error;
        throwErrno("cannot lock " + place.lockFile);
    }
    sockaddr_un address;
    if (!fillAddress(place.socketFile, address)) {
        close(lockFd);
        throw std::system_error(std::make_error_code(std::errc::filename_too_long), place.socketFile);
    }
    // Whatever lies there was left by a copy that ended without removing it:
    // the lock is ours, so no running copy listens on it.
    unlink(place.socketFile.c_str());
    int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int stopFd = eventfd(0, EFD_CLOEXEC);
    auto fail = [&](const std::string& what) {
        int error = errno;
        for (int fd : { listenFd, stopFd, lockFd }) {
            if (fd >= 0)
                close(fd);
        }
        errno = error;
        throwErrno(what);
    };
    if (listenFd < 0 || stopFd < 0)
        fail("cannot make a socket");
    if (bind(listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        fail("cannot bind " + place.socketFile);
    chmod(place.socketFile.c_str(), 0600);
    if (listen(listenFd, 8) != 0)
        fail("cannot listen on " + place.socketFile);
    return std::unique_ptr<InstanceLock>(new InstanceLock(place, lockFd, listenFd, stopFd));
}

bool InstanceLock::AskRunningCopy(const Place& place, std::chrono::milliseconds within)
{
    sockaddr_un address;
    if (!fillAddress(place.socketFile, address))
        return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A full queue makes a Unix socket's connect wait: it is bounded like the answer.
    struct timeval bound {
        static_cast<time_t>(within.count() / 1000), static_cast<suseconds_t>(within.count() % 1000 * 1000)
    };
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    bool answered = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && writeAll(fd, kRequest)
        && readExactly(fd, kAnswer, -1, static_cast<int>(within.count()));
    close(fd);
    return answered;
}

InstanceLock::InstanceLock(Place place, int lockFd, int listenFd, int stopFd)
    : m_place(std::move(place))
    , m_lockFd(lockFd)
    , m_listenFd(listenFd)
    , m_stopFd(stopFd)
{
}

InstanceLock::~InstanceLock()
{
    StopListening();
    if (m_listenFd >= 0) {
        close(m_listenFd);
        unlink(m_place.socketFile.c_str());
    }
    close(m_stopFd);
    // The lock goes with its descriptor; the file stays, for the next copy to lock.
    close(m_lockFd);
}

void InstanceLock::Listen(std::function<void()> onRequest)
{
    if (m_listener.joinable())
        return;
    m_listener = StartWorkerThread([this, onRequest = std::move(onRequest)] { Serve(onRequest); });
}

void InstanceLock::StopListening()
{
    if (!m_listener.joinable())
        return;
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = write(m_stopFd, &one, sizeof one);
    m_listener.join();
}

void InstanceLock::Serve(const std::function<void()>& onRequest)
{
    for (;;) {
        if (!readable(m_listenFd, m_stopFd, -1))
            return;
        int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        if (readExactly(client, kRequest, m_stopFd, kRequestWaitMs)) {
            onRequest();
            writeAll(client, kAnswer);
        }
        close(client);
    }
}

}
