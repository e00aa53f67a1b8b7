// SPDX-License-Identifier: GPL-3.0-or-later
// The database library is mapped only while a statement lives. This test
// program does not link it, so the loader's count is the program's own.
#include "data/CityDatabase.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

bool libraryMapped()
{
    void* handle = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

void run(CityDatabase& database, const std::string& sql)
{
    auto statement = database.Prepare(sql);
    while (statement.Step()) {
    }
}

}

TEST(DatabaseLibrary, IsMappedWhileAStatementLivesAndGoneBetweenUses)
{
    TempDirectory temp;
    WriteFile(temp / "places.db", ""); // an empty file is an empty database
    CityDatabase database(temp / "places.db");
    ASSERT_FALSE(libraryMapped());

    run(database, "create table T_weatherConfig(code, name)");
    run(database, "insert into T_weatherConfig values ('1', '多云'), ('7', '小雨')");
    EXPECT_FALSE(libraryMapped()) << "closed once the statements are done";

    {
        auto first = database.Prepare("select code, name from T_weatherConfig");
        auto second = database.Prepare("select name from T_weatherConfig where code = '7'");
        EXPECT_TRUE(libraryMapped());
        ASSERT_TRUE(second.Step());
        EXPECT_EQ(second.ColumnText(0), "小雨");
        ASSERT_TRUE(first.Step());
        EXPECT_EQ(first.ColumnText(1), "多云");
    }
    EXPECT_FALSE(libraryMapped());

    EXPECT_EQ(InfoToIcon(database, "小雨转阴"), 7) << "opened again for the next use";
    EXPECT_EQ(database.QueryPairs("select code, name from T_weatherConfig").size(), 2u);
    EXPECT_FALSE(libraryMapped());

    {
        auto held = database.Hold();
        EXPECT_EQ(InfoToIcon(database, "多云"), 1);
        EXPECT_TRUE(libraryMapped()) << "kept between look-ups while held";
        EXPECT_EQ(InfoToIcon(database, "小雨"), 7);
    }
    EXPECT_FALSE(libraryMapped());

    CityDatabase missing(temp / "missing.db");
    EXPECT_THROW(missing.Prepare("select 1"), std::runtime_error);
    EXPECT_FALSE(libraryMapped()) << "let go after a file that cannot be opened too";
}
