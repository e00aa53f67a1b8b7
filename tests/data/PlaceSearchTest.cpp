// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/PlaceSearch.h"

#include <gtest/gtest.h>

using namespace nimbrell;

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
