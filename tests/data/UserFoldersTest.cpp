// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Autorun.h"
#include "data/UserFolders.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using namespace nimbrell;

TEST(UserFolders, WithoutHomeTheAccountsHomeFolderIsUsed)
{
    std::string account = getpwuid(getuid())->pw_dir;
    for (std::optional<std::string> home : { std::optional<std::string>(), std::optional<std::string>("") }) {
        nimbrell::testing::ScopedEnvironment environment;
        environment.Set("HOME", home);
        environment.Set("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(HomeDirectory(), account);
        EXPECT_EQ(AutorunEntryPath(), account + "/.config/autostart/NimbrellWeather.desktop") << "never /.config";
    }
    nimbrell::testing::ScopedEnvironment environment;
    environment.Set("HOME", "/somewhere/else");
    EXPECT_EQ(HomeDirectory(), "/somewhere/else");
}
