// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the place lists from a small real SQLite file: rows in stored order
// with their codes as tags, one batch that fires no change, and queries whose
// codes cannot leave their quotes.

#include "app/CityLists.h"
#include "data/CityDatabase.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/controls/TvxListBox.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;

namespace {

class CityListsTest : public ::testing::Test {
protected:
    TempDirectory temp;
    std::string path { temp / "places.db" };
    TvxListBox list { nullptr };
    int changes { 0 };

    void SetUp() override
    {
        RegisterSceneControlClasses();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        // Stored out of code order, as the real table is; 哈尔滨 has no counties.
        const char* sql = "create table T_weather(code text, name text, flag text);"
                          "insert into T_weather values"
                          "('02','上海','1'),('07','辽宁','1'),('05','黑龙江','1'),"
                          "('101070101','沈阳','2'),('101070102','辽中','3'),('101070103','康平','3'),"
                          "('101070201','大连','2'),('101070202','瓦房店','3'),"
                          "('101050101','哈尔滨','2');";
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        list.OnChange.Set([this](TvxObject*) { ++changes; });
    }

    std::vector<std::pair<std::string, std::string>> items() const
    {
        std::vector<std::pair<std::string, std::string>> result;
        for (int i = 0; i < list.Count(); ++i)
            result.emplace_back(list.ItemByIndex(i)->Text(), list.ItemByIndex(i)->TagString());
        return result;
    }
};

using Items = std::vector<std::pair<std::string, std::string>>;

}

TEST_F(CityListsTest, EachQueryFillsTheListInStoredOrderReplacingWhatWasThere)
{
    CityDatabase database(path);
    FillListFromQuery(list, database, ProvinceQuery());
    EXPECT_EQ(items(), (Items { { "上海", "02" }, { "辽宁", "07" }, { "黑龙江", "05" } }));

    list.SetItemIndex(1);
    changes = 0;
    FillListFromQuery(list, database, CityQuery("07"));
    EXPECT_EQ(items(), (Items { { "沈阳", "101070101" }, { "大连", "101070201" } }));
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(changes, 0) << "refilling is one batch and reports no change";

    FillListFromQuery(list, database, CountyQuery("101070101"));
    EXPECT_EQ(items(), (Items { { "辽中", "101070102" }, { "康平", "101070103" } }));
    FillListFromQuery(list, database, CountyQuery("101050101"));
    EXPECT_TRUE(items().empty()) << "a city without counties";
}

TEST_F(CityListsTest, ACodeWithQuotesMatchesNothingAndAFailingQueryLeavesTheListEmpty)
{
    CityDatabase database(path);
    EXPECT_EQ(CityQuery("07"), "select name,code from T_weather where code like \"10107%\" and flag=\"2\"");
    FillListFromQuery(list, database, CityQuery("0\" or flag=\"1\" or code like \""));
    EXPECT_TRUE(items().empty());

    FillListFromQuery(list, database, ProvinceQuery());
    CityDatabase missing(temp / "missing.db");
    EXPECT_THROW(FillListFromQuery(list, missing, ProvinceQuery()), std::runtime_error);
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(list.Updating(), 0) << "the batch ends also when the query fails";
}
