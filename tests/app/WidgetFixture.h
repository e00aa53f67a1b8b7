#pragma once

// A main window's surroundings on the headless back end: a data directory in a
// temporary folder, process-wide state reset before and after, and service
// hosts on a closed port so that the start-up's requests fail at once.

#include "app/ProcessState.h"
#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace nimbrell::testing {

class WidgetFixture : public ::testing::Test {
protected:
    TempDirectory temp;
    std::string dataDirectory { (temp.Path() / "NimbrellWeather").string() + "/" };
    std::string settingsPath { dataDirectory + "historyLog.ini" };
    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    ScopedEnvironment environment;
    test::ClosedPort closedPort;

    void SetUp() override
    {
        // Process-wide state must not carry settings or a database from an
        // earlier test, whose folders are gone.
        State() = ProcessState {};
        environment.Set("TEMP", temp.Path().string());
        application.SetTitle(kApplicationTitle);
        State().Hosts = ServiceHosts { closedPort.HostPort(), closedPort.HostPort() };
    }

    void TearDown() override { State() = ProcessState {}; }

    void writeSettings(const std::string& lines)
    {
        std::filesystem::create_directories(dataDirectory);
        WriteFile(settingsPath, "[CONFIG]\n" + lines);
    }
};

}
