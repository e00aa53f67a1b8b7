// The real program as a user starts it: a separate process with its own
// environment, closed by a signal.
#include "data/CityDatabase.h"
#include "data/SettingsFile.h"
#include "tests/support/ChildProgram.h"
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

class Program : public nimbrell::testing::ChildProgram {
public:
    explicit Program(const std::string& temp)
        : ChildProgram(NIMBRELL_BINARY, {}, [&temp] {
            setenv("TEMP", temp.c_str(), 1);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("NIMBRELL_WEATHER_HOST", "127.0.0.1:1", 1);
            setenv("NIMBRELL_UPDATE_HOST", "127.0.0.1:1", 1);
        })
    {
    }
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
