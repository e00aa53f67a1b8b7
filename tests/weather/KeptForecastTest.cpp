// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TempDirectory.h"
#include "weather/KeptForecast.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace nimbrell;
using namespace std::chrono;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

class KeptForecastTest : public ::testing::Test {
protected:
    TempDirectory temp;
    std::string directory { temp.Path().string() + "/" };
    year_month_day fetched { year(2026), December, day(10) };
    std::vector<TInfo> reports;

    void SetUp() override
    {
        for (int day = 1; day <= 6; ++day) {
            std::string n = std::to_string(day);
            reports.push_back({ "晴" + n, n + "℃~-" + n + "℃", "北风" + n + "级" });
        }
    }

    std::optional<std::vector<TInfo>> loadAfter(int days, const std::string& city = "101050101")
    {
        return LoadKeptForecast(directory, city, year_month_day(sys_days(fetched) + std::chrono::days(days)));
    }
};

}

TEST_F(KeptForecastTest, ShiftsByTheDaysSinceItWasFetched)
{
    KeepForecast(directory, "101050101", fetched, reports);

    auto today = loadAfter(0);
    ASSERT_TRUE(today);
    ASSERT_EQ(today->size(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ((*today)[i].tianQi, reports[i].tianQi);

    auto later = loadAfter(2);
    ASSERT_TRUE(later);
    ASSERT_EQ(later->size(), 6u);
    EXPECT_EQ((*later)[0].wenDu, reports[2].wenDu) << "today's row is the one made for today";
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ((*later)[i].day, year_month_day(sys_days(fetched) + std::chrono::days(2 + i))) << "every row dated, empty ones too";
    EXPECT_EQ((*later)[3].fengLi, reports[5].fengLi);
    for (std::size_t i = 4; i < 6; ++i) {
        EXPECT_EQ((*later)[i].tianQi, "");
        EXPECT_EQ((*later)[i].wenDu, "");
        EXPECT_EQ((*later)[i].fengLi, "");
    }

    auto oldest = loadAfter(5);
    ASSERT_TRUE(oldest);
    EXPECT_EQ((*oldest)[0].tianQi, reports[5].tianQi);
    EXPECT_EQ((*oldest)[1].tianQi, "");

    // Across a month's end, counted in days.
    KeepForecast(directory, "101050101", year_month_day(year(2026), January, day(30)), reports);
    auto february = LoadKeptForecast(directory, "101050101", year_month_day(year(2026), February, day(1)));
    ASSERT_TRUE(february);
    EXPECT_EQ((*february)[0].tianQi, reports[2].tianQi);
}

TEST_F(KeptForecastTest, NothingForAnotherCityTheFutureOrTooOld)
{
    KeepForecast(directory, "101050101", fetched, reports);
    EXPECT_FALSE(loadAfter(6));
    EXPECT_FALSE(loadAfter(7));
    EXPECT_FALSE(loadAfter(-1));
    EXPECT_FALSE(loadAfter(0, "101280101"));
    EXPECT_FALSE(loadAfter(0, "10105010"));
    EXPECT_FALSE(LoadKeptForecast(temp / "absent/", "101050101", fetched));
}

TEST_F(KeptForecastTest, DamagedFilesAreIgnoredAndReplacedByTheNextKeep)
{
    KeepForecast(directory, "101050101", fetched, reports);
    std::string whole = ReadFile(KeptForecastFile(directory));
    const std::string damaged[] = {
        whole.substr(0, whole.size() / 2),
        whole.substr(0, whole.size() - 4),
        std::string(300, '\xff'),
        "",
        whole.substr(0, whole.find("date ")) + "date 2026-13-40\n" + whole.substr(whole.find('\n', whole.find("date ")) + 1),
        whole.substr(0, whole.find("end")) + "extra\tline\there\nend\n",
        "x" + whole,
        whole + std::string(70000, ' '),
    };
    for (const auto& content : damaged) {
        WriteFile(KeptForecastFile(directory), content);
        EXPECT_FALSE(loadAfter(0)) << content.substr(0, 60);
    }
    KeepForecast(directory, "101050101", fetched, reports);
    EXPECT_TRUE(loadAfter(0));
}

TEST_F(KeptForecastTest, FileIsPrivateWrittenWholeAndReadOnlyAsARegularFile)
{
    reports[0].tianQi = "晴\t转\n多云";
    KeepForecast(directory, "101050101", fetched, reports);
    struct stat status { };
    ASSERT_EQ(::stat(KeptForecastFile(directory).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path()), {}), 1) << "no scratch file is left";
    auto loaded = loadAfter(0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ((*loaded)[0].tianQi, "晴 转 多云");

    // A link planted in place of the file is not followed.
    std::string elsewhere = temp / "elsewhere.txt";
    std::filesystem::rename(KeptForecastFile(directory), elsewhere);
    std::filesystem::create_symlink(elsewhere, KeptForecastFile(directory));
    EXPECT_FALSE(loadAfter(0));

    EXPECT_THROW(KeepForecast(temp / "absent/", "101050101", fetched, reports), std::runtime_error);
    EXPECT_THROW(KeepForecast(directory, "101050101", fetched, { reports[0] }), std::runtime_error);
}
