#include "app/ProcessState.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using namespace nimbrell;

TEST(DataDirectory, CandidatesFollowTheEnvironmentAndEndInPrivateFolders)
{
    std::string last = "/tmp/NimbrellWeather-" + std::to_string(geteuid()) + "/";
    std::string account = getpwuid(getuid())->pw_dir;
    struct Case {
        std::optional<std::string> temp, cache, home, runtime;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // A TEMP the user chose comes first; the rest stand in when its folder is one others could have planted.
        { "/t/", "/c", "/h", "/r", { "/t/NimbrellWeather/", "/c/NimbrellWeather/", "/r/NimbrellWeather/", last } },
        { "", "/c", "/h", "/r", { "/c/NimbrellWeather/", "/r/NimbrellWeather/", last } },
        { std::nullopt, "", "/h", std::nullopt, { "/h/.cache/NimbrellWeather/", last } },
        { std::nullopt, std::nullopt, std::nullopt, "/r", { account + "/.cache/NimbrellWeather/", "/r/NimbrellWeather/", last } },
        { std::nullopt, std::nullopt, "", std::nullopt, { account + "/.cache/NimbrellWeather/", last } },
    };
    for (const auto& c : cases) {
        nimbrell::testing::ScopedEnvironment environment;
        environment.Set("TEMP", c.temp);
        environment.Set("XDG_CACHE_HOME", c.cache);
        environment.Set("HOME", c.home);
        environment.Set("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(DataDirectoryCandidates(), c.expected) << c.expected.front();
    }
}
