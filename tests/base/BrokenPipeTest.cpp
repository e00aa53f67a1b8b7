// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/BrokenPipe.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

using namespace nimbrell;

TEST(BrokenPipe, AWriteToAGonePeerFailsInsteadOfEndingTheProcess)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    close(fds[1]);
    {
        BrokenPipeSuppressed quiet;
        errno = 0;
        EXPECT_EQ(write(fds[0], "x", 1), -1);
        EXPECT_EQ(errno, EPIPE);
    }
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE)) << "the raised signal is taken off";
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    EXPECT_FALSE(sigismember(&mask, SIGPIPE)) << "the thread's mask is restored";
    close(fds[0]);
}
