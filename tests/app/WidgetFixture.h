// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A main window's surroundings on the headless back end: a settings folder and a
// data directory in a temporary folder (and no earlier build's folder), process-wide state reset before and after, and service
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
    std::string configDirectory { (temp.Path() / "config/nimbrell").string() + "/" };
    std::string dataDirectory { (temp.Path() / "cache/nimbrell").string() + "/" };
    std::string settingsPath { configDirectory + "historyLog.ini" };
    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    ScopedEnvironment environment;
    test::ClosedPort closedPort;

    void SetUp() override
    {
        // Process-wide state must not carry settings or a database from an
        // earlier test, whose folders are gone.
        State() = ProcessState {};
        environment.Set("XDG_CONFIG_HOME", (temp.Path() / "config").string());
        environment.Set("XDG_CACHE_HOME", (temp.Path() / "cache").string());
        environment.Set("TEMP", std::nullopt);
        application.SetTitle(kApplicationTitle);
        State().Hosts = ServiceHosts { closedPort.HostPort(), closedPort.HostPort() };
    }

    void TearDown() override { State() = ProcessState {}; }

    void writeSettings(const std::string& lines)
    {
        std::filesystem::create_directories(configDirectory);
        WriteFile(settingsPath, "[CONFIG]\n" + lines);
    }
};

}
