// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/CityDatabase.h"
#include "data/PlaceSearch.h"
#include "data/ResourceFile.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <map>
#include <sqlite3.h>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

class CityDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        directory = new TempDirectory;
        ExtractResourceFile("Nimbrell", "exefile", *directory / "Nimbrell.db");
    }
    static void TearDownTestSuite() { delete directory; }

    static TempDirectory* directory;
    CityDatabase database { *directory / "Nimbrell.db" };

    std::vector<std::pair<std::string, std::string>> query(const std::string& sql) { return database.QueryPairs(sql); }
};

TempDirectory* CityDatabaseTest::directory = nullptr;

}

TEST_F(CityDatabaseTest, TablesHoldThePlaceListAndThePictureTableInStoredOrder)
{
    auto count = database.Prepare("select count(*), sum(flag=\"1\"), sum(flag=\"2\"), sum(flag=\"3\") from T_weather");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.ColumnText(0), "2595");
    EXPECT_EQ(count.ColumnText(1), "34");
    EXPECT_EQ(count.ColumnText(2), "421");
    EXPECT_EQ(count.ColumnText(3), "2140");
    EXPECT_FALSE(count.Step());

    auto pictures = query("select code,name from T_weatherConfig");
    ASSERT_EQ(pictures.size(), 33u);
    EXPECT_EQ(pictures.front(), (std::pair<std::string, std::string> { "1", "晴" }));
    EXPECT_EQ(pictures[27], (std::pair<std::string, std::string> { "6", "小到中雨" }));
    EXPECT_EQ(pictures[28], pictures[27]) << "duplicates are kept";
    EXPECT_EQ(pictures.back(), (std::pair<std::string, std::string> { "7", "大到暴雨" }));

    auto schema = query("select name, sql from sqlite_master");
    ASSERT_EQ(schema.size(), 4u) << "four tables and no index";
    auto format = database.Prepare("pragma page_size");
    ASSERT_TRUE(format.Step());
    EXPECT_EQ(format.ColumnText(0), "1024");
    auto encoding = database.Prepare("pragma encoding");
    ASSERT_TRUE(encoding.Step());
    EXPECT_EQ(encoding.ColumnText(0), "UTF-8");
}

TEST_F(CityDatabaseTest, ProvinceCityAndCountyQueriesOfTheSettingsWindow)
{
    auto provinces = query("select name,code from T_weather where flag=\"1\"");
    ASSERT_EQ(provinces.size(), 34u);
    EXPECT_EQ(provinces[0], (std::pair<std::string, std::string> { "北京", "01" }));
    EXPECT_EQ(provinces[4], (std::pair<std::string, std::string> { "辽宁", "07" }));
    EXPECT_EQ(provinces[5], (std::pair<std::string, std::string> { "黑龙江", "05" }));

    auto beijing = query("select name,code from T_weather where code like \"10101%\" and flag=\"2\"");
    ASSERT_EQ(beijing.size(), 15u);
    EXPECT_EQ(beijing.front(), (std::pair<std::string, std::string> { "北京", "101010100" }));
    EXPECT_EQ(beijing[1], (std::pair<std::string, std::string> { "海淀", "101010200" }));
    EXPECT_EQ(beijing.back(), (std::pair<std::string, std::string> { "平谷", "101011500" }));
    for (std::size_t i = 0; i < beijing.size(); ++i) {
        std::string station = std::to_string(i + 1);
        EXPECT_EQ(beijing[i].second, "10101" + std::string(2 - station.size(), '0') + station + "00");
    }

    auto harbin = query("select name,code from T_weather where code like \"1010501%\" and flag=\"3\"");
    std::vector<std::string> codes;
    for (const auto& [name, code] : harbin)
        codes.push_back(code);
    for (const char* code : { "101050102", "101050109", "101050110", "101050111", "101050112", "101050113" })
        EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << code;
    EXPECT_EQ(harbin.front().first, "双城");
}

TEST_F(CityDatabaseTest, PictureLookupIsAPrefixMatchInTableOrder)
{
    struct Case {
        const char* description;
        int picture;
    } cases[] = {
        { "多云转晴", 2 }, { "晴转多云", 1 }, { "小雨转中雨", 6 }, { "雷阵雨伴有冰雹", 5 }, { "霾", 0 },
        { "", 0 }, { "阴", 3 }, { "大暴雨", 7 }, { "暴雨", 11 }, { "强沙尘暴", 15 }, { "扬沙转浮尘", 14 }
    };
    for (const auto& c : cases)
        EXPECT_EQ(InfoToIcon(database, c.description), c.picture) << c.description;
}

TEST(CityDatabase, MissingFileFailsWithItsNameAndIsNotCreated)
{
    TempDirectory directory;
    CityDatabase database(directory / "absent.db");
    try {
        database.Prepare("select 1");
        FAIL() << "expected an error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + (directory / "absent.db"));
    }
    EXPECT_FALSE(std::filesystem::exists(directory / "absent.db"));
}

TEST(CityDatabase, FileThatIsNotADatabaseRaisesTheEnginesMessage)
{
    TempDirectory directory;
    std::string garbage(4096, '\x5A');
    WriteFile(directory / "garbage.db", garbage);
    CityDatabase database(directory / "garbage.db");
    try {
        database.QueryPairs("select code,name from T_weatherConfig");
        FAIL() << "expected an error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "file is not a database");
    }
}

TEST(CityDatabase, BadSqlRaisesTheEnginesMessage)
{
    TempDirectory directory;
    ExtractResourceFile("Nimbrell", "exefile", directory / "Nimbrell.db");
    CityDatabase database(directory / "Nimbrell.db");
    EXPECT_THROW(database.Prepare("select nothing from nowhere"), std::runtime_error);
    EXPECT_EQ(database.QueryPairs("select code,name from T_weatherConfig").size(), 33u) << "the connection stays usable";
}

TEST(CityDatabase, LockedDatabaseIsRetriedThenReported)
{
    TempDirectory directory;
    std::string path = directory / "Nimbrell.db";
    ExtractResourceFile("Nimbrell", "exefile", path);

    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &holder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    CityDatabase database(path);
    try {
        database.QueryPairs("select code,name from T_weatherConfig");
        FAIL() << "expected an error while another connection holds an exclusive lock";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "database is locked");
    }
    ASSERT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(holder);
    EXPECT_EQ(database.QueryPairs("select code,name from T_weatherConfig").size(), 33u);
}

TEST_F(CityDatabaseTest, EveryCityAndCountyHasAPosition)
{
    auto missing = query("select name,code from T_weather where flag<>\"1\" and code not in (select code from T_position)");
    EXPECT_TRUE(missing.empty()) << missing.size() << " places without a position";

    struct Row {
        const char* code;
        double latitude;
        double longitude;
    } rows[] = { { "101010100", 39.9050, 116.4053 }, { "101050101", 45.8030, 126.5351 }, { "101280101", 23.1252, 113.2806 } };
    for (const auto& row : rows) {
        auto position = PlacePosition(database, row.code);
        ASSERT_TRUE(position) << row.code;
        EXPECT_DOUBLE_EQ(position->first, row.latitude) << row.code;
        EXPECT_DOUBLE_EQ(position->second, row.longitude) << row.code;
    }
    for (const char* unknown : { "01", "101999999", "", "1\" or \"1\"=\"1" })
        EXPECT_FALSE(PlacePosition(database, unknown)) << unknown;
    // Names come for cities, counties and provinces alike.
    for (auto [code, name] : { std::pair { "101050101", "哈尔滨" }, { "101010100", "北京" }, { "101130108", "乌鲁木齐牧试站" },
             { "101999999", "" }, { "", "" }, { "1\" or \"1\"=\"1", "" } })
        EXPECT_EQ(PlaceName(database, code), name) << code;
}

TEST_F(CityDatabaseTest, PlaceSearchFindsPlacesByCharactersAndEveryWayOfTypingTheirReading)
{
    PlaceSearch search = PlaceSearch::FromDatabase(database);
    struct Row {
        const char* typed;
        const char* code;
        const char* shown;
    } rows[] = {
        { "haerbin", "101050101", "哈尔滨 · 黑龙江" },
        { "ha er bin", "101050101", "哈尔滨 · 黑龙江" },
        { "heb", "101050101", "哈尔滨 · 黑龙江" },
        { "哈尔滨", "101050101", "哈尔滨 · 黑龙江" },
        { "lvliang", "101101100", "吕梁 · 山西" },
        { "lüliang", "101101100", "吕梁 · 山西" },
        { "shuangcheng", "101050102", "双城 · 哈尔滨" },
        { "双城", "101050102", "双城 · 哈尔滨" },
        { "beijing", "101010100", "北京 · 北京" },
        { "haidian", "101010200", "海淀 · 北京" },
        { "luan", "101221501", "六安 · 安徽" }, // a name's own reading
    };
    for (const auto& row : rows) {
        auto matches = search.Find(row.typed);
        ASSERT_FALSE(matches.empty()) << row.typed;
        EXPECT_EQ(matches[0].code, row.code) << row.typed;
        EXPECT_EQ(matches[0].shown, row.shown) << row.typed;
    }
}

TEST_F(CityDatabaseTest, PlaceSearchEveryPlaceIsFoundAndAtMostEightAreOfferedCitiesFirst)
{
    PlaceSearch search = PlaceSearch::FromDatabase(database);
    std::map<std::string, std::string> flags;
    for (const auto& [code, flag] : database.QueryPairs("select code,flag from T_weather where flag<>\"1\""))
        flags[code] = flag;
    ASSERT_EQ(search.Size(), 2561u);
    ASSERT_EQ(flags.size(), 2561u);

    auto statement = database.Prepare("select T_weather.code,name,pinyin from T_weather join T_pinyin"
                                      " on T_weather.code=T_pinyin.code where flag<>\"1\"");
    int places = 0;
    while (statement.Step()) {
        ++places;
        std::string code = statement.ColumnText(0);
        for (const std::string& typed : { statement.ColumnText(1), statement.ColumnText(2) }) {
            auto all = search.Find(typed, flags.size());
            EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const PlaceMatch& m) { return m.code == code; }))
                << code << " by " << typed;
        }
    }
    EXPECT_EQ(places, 2561);

    for (const char* typed : { "s", "chang", "xian", "zh", "县" }) {
        auto matches = search.Find(typed);
        EXPECT_EQ(matches.size(), 8u) << typed;
        bool countySeen = false;
        for (const auto& match : matches) {
            countySeen = countySeen || flags[match.code] == "3";
            EXPECT_FALSE(countySeen && flags[match.code] == "2") << typed << ": a city after a county";
        }
    }
}
