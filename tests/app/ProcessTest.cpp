// The real program as a user starts it: a separate process with its own
// environment, closed by a signal.
#include "data/CityDatabase.h"
#include "data/SettingsFile.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;

namespace {

class Program {
public:
    explicit Program(const std::string& temp)
    {
        std::string closedHost = m_closedPort.HostPort();
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(pipeFds[1], STDERR_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            setenv("TEMP", temp.c_str(), 1);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("NIMBRELL_WEATHER_HOST", closedHost.c_str(), 1);
            setenv("NIMBRELL_UPDATE_HOST", closedHost.c_str(), 1);
            execl(NIMBRELL_BINARY, NIMBRELL_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        m_stderr = pipeFds[0];
    }
    ~Program()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_stderr);
    }

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
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }

    const std::string& Output() const { return m_output; }

private:
    nimbrell::test::ClosedPort m_closedPort;
    pid_t m_pid { -1 };
    int m_stderr { -1 };
    std::string m_output;
};

}

TEST(Program, StartsInAnEmptyTempAndSavesItsPositionOnSigterm)
{
    TempDirectory temp;
    Program program(temp.Path().string());
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    EXPECT_NE(program.Output().find("headless"), std::string::npos) << "without a display it says it runs headless";

    int status = program.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << "closes gracefully instead of dying of the signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);

    std::string directory = temp / "NimbrellWeather/";
    CityDatabase database(directory + "Nimbrell.db");
    EXPECT_EQ(database.QueryPairs("select name,code from T_weather").size(), 2595u);
    EXPECT_EQ(database.QueryPairs("select code,name from T_weatherConfig").size(), 33u);
    SettingsFile settings(directory + "historyLog.ini");
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "500");
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "300");
}

TEST(Program, SigintClosesAsAUserWouldAndKeepsTheStoredPosition)
{
    TempDirectory temp;
    std::filesystem::create_directories(temp / "NimbrellWeather");
    SettingsFile settings(temp / "NimbrellWeather/historyLog.ini");
    settings.WriteString("CONFIG", "formLeft", "-35");
    settings.WriteString("CONFIG", "formTop", "0x10");
    settings.WriteString("CONFIG", "city", "哈尔滨");

    Program program(temp.Path().string());
    ASSERT_TRUE(program.WaitFor("runs until closed")) << program.Output();
    int status = program.Stop(SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(settings.ReadString("CONFIG", "formLeft", ""), "-35");
    EXPECT_EQ(settings.ReadString("CONFIG", "formTop", ""), "16");
    EXPECT_EQ(settings.ReadString("CONFIG", "city", ""), "哈尔滨");
}
