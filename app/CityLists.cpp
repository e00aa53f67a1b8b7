// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CityLists.h"

#include "data/CityDatabase.h"
#include "scene/controls/TvxListBox.h"

namespace nimbrell {

namespace {

// A code inside a double-quoted SQL literal: a quote in it is doubled, so a
// code can never end the literal.
std::string quotedPattern(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "%\"";
}

}

void AddListItem(TvxListBox& list, const std::string& text, const std::string& tag)
{
    auto* item = new TvxListBoxItem(nullptr);
    list.AddObject(item);
    item->SetText(text);
    item->SetTagString(tag);
}

void FillListFromQuery(TvxListBox& list, CityDatabase& database, std::string_view sql)
{
    struct BatchUpdate {
        TvxListBox& list;
        explicit BatchUpdate(TvxListBox& l)
            : list(l)
        {
            list.BeginUpdate();
        }
        ~BatchUpdate() { list.EndUpdate(); }
    };
    BatchUpdate batch(list);
    list.Clear();
    CityDatabase::Statement statement = database.Prepare(sql);
    while (statement.Step())
        AddListItem(list, statement.ColumnText(0), statement.ColumnText(1));
}

std::string ProvinceQuery()
{
    return "select name,code from T_weather where flag=\"1\"";
}

std::string CityQuery(std::string_view provinceCode)
{
    return "select name,code from T_weather where code like " + quotedPattern("101" + std::string(provinceCode))
        + " and flag=\"2\"";
}

std::string CountyQuery(std::string_view cityCode)
{
    return "select name,code from T_weather where code like " + quotedPattern(cityCode.substr(0, 7)) + " and flag=\"3\"";
}

}
