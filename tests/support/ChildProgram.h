// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real program as a user starts it: a separate process with its own
// environment, whose standard error the test reads.

#include "tests/support/WaitFor.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace nimbrell::testing {

class ChildProgram {
public:
    // prepare runs in the child before the program starts (environment changes).
    ChildProgram(const std::string& binary, const std::vector<std::string>& arguments, const std::function<void()>& prepare)
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(pipeFds[1], STDERR_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            prepare();
            std::vector<char*> argv { const_cast<char*>(binary.c_str()) };
            for (const auto& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(binary.c_str(), argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        m_stderr = pipeFds[0];
    }
    ~ChildProgram()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_stderr);
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // Reads standard error until text appears; false after the time limit.
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(30))
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (m_output.find(text) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                return false;
            pollfd descriptor { m_stderr, POLLIN, 0 };
            if (poll(&descriptor, 1, static_cast<int>(left)) <= 0)
                continue;
            char buffer[4096];
            ssize_t got = read(m_stderr, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            m_output.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    // Sends the signal and returns the exit status.
    int Stop(int signal)
    {
        kill(m_pid, signal);
        return Wait();
    }

    // Waits for the program to end by itself; returns its exit status.
    int Wait()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }

    // Waits at most `limit` for the program to end: its exit status, or nothing
    // while it still runs.
    std::optional<int> WaitAtMost(std::chrono::milliseconds limit)
    {
        int status = 0;
        if (!testing::WaitFor([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit))
            return std::nullopt;
        m_pid = -1;
        return status;
    }

    const std::string& Output() const { return m_output; }
    pid_t Pid() const { return m_pid; }

    // Once the program has ended: all it wrote to standard error.
    const std::string& AllOutput()
    {
        char buffer[4096];
        ssize_t got;
        while ((got = read(m_stderr, buffer, sizeof buffer)) > 0)
            m_output.append(buffer, static_cast<std::size_t>(got));
        return m_output;
    }

private:
    pid_t m_pid { -1 };
    int m_stderr { -1 };
    std::string m_output;
};

}
