// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs a program to its end and keeps what it printed: for tests of programs
// and tools as a user starts them.

#include <cerrno>
#include <map>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace nimbrell::testing {

struct ChildResult {
    int status { -1 }; // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Changes to an inherited environment: a value sets a variable, an empty
// optional removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// For a forked child before it runs the program.
inline void ApplyEnvironment(const EnvironmentChanges& changes)
{
    for (const auto& [name, value] : changes) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
}

// Runs `command` (looked up in PATH) with the environment changed, and waits
// for it to end.
inline ChildResult RunChild(const std::vector<std::string>& command, const EnvironmentChanges& environment = {})
{
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork");
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        for (int fd : { outPipe[0], outPipe[1], errPipe[0], errPipe[1] })
            close(fd);
        ApplyEnvironment(environment);
        std::vector<char*> argv;
        for (const auto& part : command)
            argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    ChildResult result;
    pollfd fds[2] { { outPipe[0], POLLIN, 0 }, { errPipe[0], POLLIN, 0 } };
    std::string* sinks[2] { &result.out, &result.err };
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            char buffer[4096];
            ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            close(fds[i].fd);
            fds[i].fd = -1;
            --open;
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}
