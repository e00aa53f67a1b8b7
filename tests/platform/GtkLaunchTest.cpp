// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "tests/support/Desktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace nimbrell::platform;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

// The test's data folder makes launch/record-environment.sh the opener of nimbrell-test:
// addresses; it writes its environment to NIMBRELL_TEST_ENV_FILE.
TEST(GtkLaunchTest, ProgramsOpenedFromTheProgramKeepTheUsersThemeSetting)
{
    unsetenv("GTK_THEME");
    char folder[] = "/tmp/nimbrell-launch-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::filesystem::path written = std::filesystem::path(folder) / "environment";
    setenv("NIMBRELL_TEST_ENV_FILE", written.c_str(), 1);

    auto backend = CreateGtkBackend();
    ASSERT_TRUE(backend) << "no X display";
    Application application(std::move(backend));
    // The program runs on a theme of its own until GTK draws a widget.
    const char* own = std::getenv("GTK_THEME");
    ASSERT_TRUE(own && *own);

    ASSERT_TRUE(application.GetBackend().OpenUri("nimbrell-test:page"));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(written); }, 10s, Pump::Loop)) << "the opener did not run";
    std::ifstream in(written);
    std::stringstream environment;
    environment << in.rdbuf();
    EXPECT_NE(environment.str().find("NIMBRELL_TEST_ENV_FILE="), std::string::npos);
    EXPECT_EQ(environment.str().find("GTK_THEME="), std::string::npos) << environment.str();
    std::filesystem::remove_all(folder);
}

}
