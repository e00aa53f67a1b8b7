// SPDX-License-Identifier: GPL-3.0-or-later
// The database tool as the build runs it: three tab-separated lists in, one
// zlib-compressed SQLite file out.
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <zlib.h>

using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

struct ToolRun {
    int status;
    std::string errors;
};

ToolRun makedb(const TempDirectory& directory, const std::string& arguments)
{
    std::string errors = directory / "errors.txt";
    int raw = std::system((std::string(NIMBRELL_MAKEDB) + " " + arguments + " > /dev/null 2> " + errors).c_str());
    return { WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(errors) };
}

std::vector<std::string> rows(sqlite3* db, const char* sql)
{
    std::vector<std::string> out;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i)
            row += (i ? "|" : "") + std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
        out.push_back(row);
    }
    sqlite3_finalize(statement);
    return out;
}

}

TEST(MakeDb, BuildsBothTablesInFileOrderAndCompressesThem)
{
    TempDirectory directory;
    WriteFile(directory / "cities.tsv", "code\tname\tflag\r\n101\t北京\t1\r\n101010100\t北京\t\r\n\r\n09\t上海\t1\n");
    WriteFile(directory / "pictures.tsv", "code\tname\n3\t晴\n1\t多云\n");
    WriteFile(directory / "positions.tsv", "code\tlatitude\tlongitude\tmatched\n101010100\t39.9\t116.4\tname\n");
    WriteFile(directory / "pinyin.tsv", "code\tname\tpinyin\n101\t北京\tbei jing\n101010100\t北京\tbei jing\n");
    ToolRun run = makedb(directory, directory / "cities.tsv" + " " + directory / "pictures.tsv" + " " + directory / "positions.tsv" + " " + directory / "pinyin.tsv" + " " + directory / "out.db.z");
    ASSERT_EQ(run.status, 0) << run.errors;

    std::string packed = ReadFile(directory / "out.db.z");
    std::vector<unsigned char> raw(1 << 20);
    uLongf size = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()), packed.size()), Z_OK);
    WriteFile(directory / "out.db", std::string(reinterpret_cast<const char*>(raw.data()), size));

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2((directory / "out.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(rows(db, "select code, name, flag from T_weather"), (std::vector<std::string> { "101|北京|1", "101010100|北京|", "09|上海|1" }));
    EXPECT_EQ(rows(db, "select code, name from T_weatherConfig"), (std::vector<std::string> { "3|晴", "1|多云" }));
    EXPECT_EQ(rows(db, "select code, latitude, longitude from T_position"), (std::vector<std::string> { "101010100|39.9|116.4" }));
    EXPECT_EQ(rows(db, "select code, pinyin from T_pinyin"), (std::vector<std::string> { "101|bei jing", "101010100|bei jing" }));
    sqlite3_close(db);
}

TEST(MakeDb, BadInputFailsWithoutLeavingFiles)
{
    TempDirectory directory;
    WriteFile(directory / "cities.tsv", "code\tname\tflag\n101\t北京\t1\n102\t上海\n");
    WriteFile(directory / "pictures.tsv", "code\tname\n3\t晴\n");
    WriteFile(directory / "positions.tsv", "code\tlatitude\tlongitude\tmatched\n");
    WriteFile(directory / "pinyin.tsv", "code\tname\tpinyin\n");
    std::string lists = directory / "pictures.tsv" + " " + directory / "positions.tsv" + " " + directory / "pinyin.tsv" + " ";
    std::string out = directory / "out.db.z";

    ToolRun run = makedb(directory, directory / "cities.tsv" + " " + lists + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("cities.tsv:3: expected 3 columns"), std::string::npos) << run.errors;
    run = makedb(directory, directory / "missing.tsv" + " " + lists + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("cannot read"), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp.db"));

    EXPECT_EQ(makedb(directory, "only-one-argument").status, 2);
}
