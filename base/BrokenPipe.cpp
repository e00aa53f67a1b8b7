// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/BrokenPipe.h"

#include <cerrno>
#include <ctime>
#include <pthread.h>

namespace nimbrell {

namespace {

sigset_t brokenPipe()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool brokenPipePending()
{
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

}

BrokenPipeSuppressed::BrokenPipeSuppressed()
{
    sigset_t set = brokenPipe();
    m_wasPending = brokenPipePending();
    pthread_sigmask(SIG_BLOCK, &set, &m_previous);
}

BrokenPipeSuppressed::~BrokenPipeSuppressed()
{
    // A signal pending before the guard is not ours to take.
    if (!m_wasPending && brokenPipePending()) {
        sigset_t set = brokenPipe();
        timespec none {};
        int savedErrno = errno;
        while (sigtimedwait(&set, nullptr, &none) < 0 && errno == EINTR) {
        }
        errno = savedErrno;
    }
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

}
