#include "data/CityDatabase.h"
#include "data/PlaceSearch.h"
#include "data/ResourceFile.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <map>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;

namespace {

std::vector<std::string> shown(const std::vector<PlaceMatch>& matches)
{
    std::vector<std::string> texts;
    for (const auto& match : matches)
        texts.push_back(match.shown);
    return texts;
}

}

TEST(PlaceSearch, CitiesFirstThenWholeBeforeBeginningThenListOrder)
{
    PlaceSearch search({
        { "05", "黑龙江", "1", "hei long jiang" },
        { "18", "河南", "1", "he nan" },
        { "101050101", "哈尔滨", "2", "ha er bin" },
        { "101050102", "双城", "3", "shuang cheng" },
        { "101050103", "呼兰", "3", "hu lan" },
        { "101180301", "鹤壁", "2", "he bi" },
        { "101180302", "浚县", "3", "xun xian" },
        { "101180303", "淇县", "3", "qi xian" },
    });
    EXPECT_EQ(search.Size(), 6u) << "provinces are not places to pick";
    struct Row {
        const char* typed;
        std::vector<std::string> shown;
    } rows[] = {
        { "heb", { "哈尔滨 · 黑龙江", "鹤壁 · 河南" } }, // initials whole, then a reading's beginning
        { "hebi", { "鹤壁 · 河南" } },
        { "h", { "哈尔滨 · 黑龙江", "鹤壁 · 河南", "呼兰 · 哈尔滨" } },
        { "xunx", { "浚县 · 鹤壁" } },
        { "xian", {} }, // a reading is matched from its beginning
        { "qx", { "淇县 · 鹤壁" } },
        { " Ha Er bin ", { "哈尔滨 · 黑龙江" } },
        { "县", { "浚县 · 鹤壁", "淇县 · 鹤壁" } },
        { "城", { "双城 · 哈尔滨" } }, // characters inside a name count too
        { "黑龙江", {} },
        { "hlj", {} },
        { "", {} },
        { "   ", {} },
        { "zz", {} },
    };
    for (const auto& row : rows)
        EXPECT_EQ(shown(search.Find(row.typed)), row.shown) << row.typed;
    EXPECT_EQ(search.Find("h", 2).size(), 2u);
}

namespace {

class PlaceSearchDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        directory = new TempDirectory;
        ExtractResourceFile("Nimbrell", "exefile", *directory / "Nimbrell.db");
    }
    static void TearDownTestSuite() { delete directory; }

    static TempDirectory* directory;
    CityDatabase database { *directory / "Nimbrell.db" };
    PlaceSearch search { PlaceSearch::FromDatabase(database) };
};

TempDirectory* PlaceSearchDatabaseTest::directory = nullptr;

}

TEST_F(PlaceSearchDatabaseTest, FindsPlacesByCharactersAndEveryWayOfTypingTheirReading)
{
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

TEST_F(PlaceSearchDatabaseTest, EveryPlaceIsFoundAndAtMostEightAreOfferedCitiesFirst)
{
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
