// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProcessState.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using namespace nimbrell;

TEST(DataDirectory, CandidatesFollowTheEnvironmentAndEndInPrivateFolders)
{
    std::string last = "/tmp/nimbrell-" + std::to_string(geteuid()) + "/";
    std::string account = getpwuid(getuid())->pw_dir;
    struct Case {
        std::optional<std::string> temp, config, cache, home, runtime;
        std::vector<std::string> settings, data, earlier;
    };
    const Case cases[] = {
        { "/t/", "/s", "/c/", "/h", "/r",
            { "/s/nimbrell/", "/r/nimbrell/", last }, { "/c/nimbrell/", "/r/nimbrell/", last },
            { "/t/NimbrellWeather/", "/c/NimbrellWeather/" } },
        // Empty variables count as unset.
        { "", "", "", "/h", std::nullopt,
            { "/h/.config/nimbrell/", last }, { "/h/.cache/nimbrell/", last }, { "/h/.cache/NimbrellWeather/" } },
        { std::nullopt, std::nullopt, std::nullopt, std::nullopt, "/r",
            { account + "/.config/nimbrell/", "/r/nimbrell/", last }, { account + "/.cache/nimbrell/", "/r/nimbrell/", last },
            { account + "/.cache/NimbrellWeather/" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings.front());
        nimbrell::testing::ScopedEnvironment environment;
        environment.Set("TEMP", c.temp);
        environment.Set("XDG_CONFIG_HOME", c.config);
        environment.Set("XDG_CACHE_HOME", c.cache);
        environment.Set("HOME", c.home);
        environment.Set("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(ConfigDirectoryCandidates(), c.settings);
        EXPECT_EQ(DataDirectoryCandidates(), c.data);
        EXPECT_EQ(EarlierDataDirectories(), c.earlier);
    }
}
