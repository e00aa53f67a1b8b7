// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace nimbrell;

namespace {

using Arguments = std::vector<std::string>;
using Environment = std::map<std::string, std::string>;

CommandLine parse(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment)
{
    nimbrell::testing::ScopedEnvironment scoped;
    for (const char* name : { "NIMBRELL_WEATHER_HOST", "NIMBRELL_UPDATE_HOST", "NIMBRELL_FORECAST_URL", "NIMBRELL_AIR_QUALITY_URL" })
        scoped.Set(name, std::nullopt);
    for (const auto& [name, value] : environment)
        scoped.Set(name, value);
    std::vector<const char*> argv { "nimbrell" };
    for (const auto& argument : arguments)
        argv.push_back(argument.c_str());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

}

TEST(CommandLine, HostsFromOptionsOverEnvironmentOverDefaults)
{
    struct Case {
        Arguments arguments;
        Environment environment;
        std::string weather {}; // none: the forecast is asked by position
        std::string update {};
        std::string forecast { kDefaultForecastUrl };
        std::string air { kDefaultAirQualityUrl };
    };
    const Case cases[] = {
        { {}, {} },
        { {}, { { "NIMBRELL_WEATHER_HOST", "w.example:81" }, { "NIMBRELL_UPDATE_HOST", "127.0.0.1" } }, "w.example:81", "127.0.0.1" },
        { {}, { { "NIMBRELL_WEATHER_HOST", "" } } }, // empty counts as unset
        { { "--weather-host=opt:82" }, { { "NIMBRELL_WEATHER_HOST", "env:81" }, { "NIMBRELL_UPDATE_HOST", "u" } }, "opt:82", "u" },
        { { "--weather-host", "a", "--update-host", "b:65535" }, {}, "a", "b:65535" },
        { { "--update-host=x", "--update-host", "y" }, {}, "", "y" }, // the last one wins
        // A broken variable does not matter when the option replaces it.
        { { "--weather-host", "ok" }, { { "NIMBRELL_WEATHER_HOST", "bad:port" } }, "ok" },
        { { "--forecast-url", "https://127.0.0.1:8443/v1/forecast" }, {}, "", "", "https://127.0.0.1:8443/v1/forecast" },
        { { "--forecast-url=http://a/f" }, { { "NIMBRELL_FORECAST_URL", "https://env/f" } }, "", "", "http://a/f" },
        { {}, { { "NIMBRELL_FORECAST_URL", "https://env/f" } }, "", "", "https://env/f" },
        { { "--air-quality-url", "http://127.0.0.1:8/v1/air-quality" }, { { "NIMBRELL_AIR_QUALITY_URL", "https://env/a" } }, "",
            "", kDefaultForecastUrl, "http://127.0.0.1:8/v1/air-quality" },
        { {}, { { "NIMBRELL_AIR_QUALITY_URL", "https://env/a" } }, "", "", kDefaultForecastUrl, "https://env/a" }
    };
    for (const auto& c : cases) {
        auto line = parse(c.arguments, c.environment);
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_TRUE(line.errors.empty()) << ::testing::PrintToString(line.errors);
        EXPECT_EQ(line.hosts.weather, c.weather);
        EXPECT_EQ(line.hosts.update, c.update);
        EXPECT_EQ(line.hosts.forecast, c.forecast);
        EXPECT_EQ(line.hosts.air, c.air);
        EXPECT_FALSE(line.demo || line.help || line.version);
    }
}

TEST(CommandLine, FlagsAreSetOnlyWhenGiven)
{
    auto line = parse({ "--demo", "--help", "--version" }, {});
    EXPECT_TRUE(line.errors.empty());
    EXPECT_TRUE(line.demo && line.help && line.version);
}

TEST(CommandLine, TheRenderBackgroundIsAnOpaqueColour)
{
    EXPECT_FALSE(parse({}, {}).background);
    auto line = parse({ "--background", "#FfFfFf" }, {});
    EXPECT_TRUE(line.errors.empty());
    EXPECT_EQ(line.background, 0xFFFFFFFFu);
    EXPECT_EQ(parse({ "--background=#1a2B3c" }, {}).background, 0xFF1A2B3Cu);
    for (const char* bad : { "white", "#FFF", "#FFFFFFFF", "FFFFFF1", "#GGGGGG", "# FFFFF" }) {
        auto refused = parse({ "--background", bad }, {});
        ASSERT_EQ(refused.errors.size(), 1u) << bad;
        EXPECT_NE(refused.errors[0].find("is not a colour #RRGGBB"), std::string::npos) << refused.errors[0];
        EXPECT_FALSE(refused.background);
    }
}

TEST(CommandLine, UnknownOptionsAndMissingEmptyOrMalformedValuesAreErrors)
{
    struct Case {
        Arguments arguments;
        Environment environment;
        std::vector<std::string> errors; // a part of each message, in order
    };
    const Case cases[] = {
        { { "--bogus" }, {}, { "unknown option \"--bogus\"" } },
        { { "-h" }, {}, { "unknown option \"-h\"" } },
        { { "city" }, {}, { "unknown option \"city\"" } },
        { { "--demo-mode" }, {}, { "unknown option \"--demo-mode\"" } },
        { { "--weather-host" }, {}, { "missing value for --weather-host" } },
        // The next option is not taken for a value.
        { { "--weather-host", "--demo" }, {}, { "missing value for --weather-host" } },
        { { "--weather-host=" }, {}, { "empty value for --weather-host" } },
        { { "--update-host", "" }, {}, { "empty value for --update-host" } },
        { { "--demo=yes" }, {}, { "--demo takes no value" } },
        { { "--update-host=h:0" }, {}, { "--update-host: \"h:0\" is not HOST[:PORT]" } },
        { { "--update-host=h:65536" }, {}, { "\"h:65536\" is not" } },
        { { "--update-host=h:" }, {}, { "\"h:\" is not" } },
        { { "--update-host=h:http" }, {}, { "\"h:http\" is not" } },
        { { "--update-host=http://h" }, {}, { "\"http://h\" is not" } },
        { { "--update-host=h/data" }, {}, { "\"h/data\" is not" } },
        { { "--update-host=user@h" }, {}, { "\"user@h\" is not" } },
        { { "--update-host", "two words" }, {}, { "\"two words\" is not" } },
        { {}, { { "NIMBRELL_UPDATE_HOST", "h:x" } }, { "NIMBRELL_UPDATE_HOST: \"h:x\" is not" } },
        { { "--forecast-url", "ftp://a/f" }, {}, { "--forecast-url: \"ftp://a/f\" is not an http:// or https:// address" } },
        { { "--forecast-url=api.example/v1" }, {}, { "\"api.example/v1\" is not an http" } },
        { { "--forecast-url" }, {}, { "missing value for --forecast-url" } },
        { { "--air-quality-url=air.example" }, {}, { "--air-quality-url: \"air.example\" is not an http" } },
        // Values are shown safely: control characters masked, a long one cut.
        { { "--update-host=\x1b[2Jh" }, {}, { "--update-host: \"?[2Jh\" is not" } },
        { { "--" + std::string(5000, 'x') }, {}, { "unknown option \"--" + std::string(78, 'x') + "...\"" } },
        // Every fault is reported, not only the first.
        { { "--x", "--weather-host=", "--y" }, {}, { "--x", "--weather-host", "--y" } }
    };
    for (const auto& c : cases) {
        auto line = parse(c.arguments, c.environment);
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        ASSERT_EQ(line.errors.size(), c.errors.size()) << ::testing::PrintToString(line.errors);
        for (std::size_t i = 0; i < c.errors.size(); ++i)
            EXPECT_NE(line.errors[i].find(c.errors[i]), std::string::npos) << line.errors[i];
        EXPECT_EQ(line.hosts.update, "") << "a rejected value is not stored";
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndVariable)
{
    std::string help = HelpText();
    for (const auto& option : KnownOptions()) {
        EXPECT_NE(help.find(option.name), std::string::npos) << option.name;
        if (!option.environment.empty()) {
            EXPECT_NE(help.find(option.environment), std::string::npos) << option.environment;
        }
    }
    for (const char* other : { "TEMP", "XDG_CACHE_HOME", "HOME", "XDG_CONFIG_HOME", "DISPLAY" })
        EXPECT_NE(help.find(other), std::string::npos) << other;
}
