// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A write to a socket whose peer has gone raises SIGPIPE, which ends the
// process. Code that cannot pass MSG_NOSIGNAL itself (the TLS library writing
// for us) runs inside this guard: the write fails with EPIPE instead, and the
// signal it raised is taken off the thread before the guard's end.

#include <csignal>

namespace nimbrell {

class BrokenPipeSuppressed {
public:
    BrokenPipeSuppressed();
    ~BrokenPipeSuppressed();
    BrokenPipeSuppressed(const BrokenPipeSuppressed&) = delete;
    BrokenPipeSuppressed& operator=(const BrokenPipeSuppressed&) = delete;

private:
    sigset_t m_previous; // the caller's mask, restored on exit
    bool m_wasPending { false };
};

}
