#include "app/ServiceHosts.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace nimbrell;

TEST(ServiceHosts, ForecastSourceFollowsTheWeatherHostAndTheForecastUrl)
{
    nimbrell::testing::ScopedEnvironment environment;
    for (const char* name : { "NIMBRELL_WEATHER_HOST", "NIMBRELL_UPDATE_HOST", "NIMBRELL_FORECAST_URL" })
        environment.Set(name, std::nullopt);

    auto run = [](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "nimbrell");
        return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
    };

    auto plain = run({});
    EXPECT_EQ(plain.hosts.weather, "") << "no weather host: the forecast is asked by position";
    EXPECT_EQ(plain.hosts.forecast, DefaultForecastUrl);

    EXPECT_EQ(run({ "--forecast-url", "https://127.0.0.1:8443/v1/forecast" }).hosts.forecast, "https://127.0.0.1:8443/v1/forecast");
    EXPECT_EQ(run({ "--forecast-url=https://a/f" }).hosts.forecast, "https://a/f");
    EXPECT_FALSE(run({ "--forecast-url" }).errors.empty());
    EXPECT_FALSE(run({ "--forecast-url=" }).errors.empty());

    environment.Set("NIMBRELL_FORECAST_URL", "https://from.environment/f");
    EXPECT_EQ(run({}).hosts.forecast, "https://from.environment/f");
    EXPECT_EQ(run({ "--forecast-url", "https://option/f" }).hosts.forecast, "https://option/f");

    environment.Set("NIMBRELL_WEATHER_HOST", "classic.example");
    EXPECT_EQ(run({}).hosts.weather, "classic.example");
}
