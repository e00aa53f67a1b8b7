// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The cascading place lists of the settings window, filled from the city
// database: each item shows a place's name and carries its code as TagString.

#include <string>
#include <string_view>

namespace nimbrell {

class CityDatabase;
class TvxListBox;

// Appends one item showing text whose TagString is tag.
void AddListItem(TvxListBox& list, const std::string& text, const std::string& tag);

// Replaces the list's items with the rows of a query whose column 0 is the
// item text and column 1 its tag, in the order returned, as one batch update.
// A failing query leaves the list empty and throws.
void FillListFromQuery(TvxListBox& list, CityDatabase& database, std::string_view sql);

// The queries of the three lists: every province; the cities of a province
// (two-digit code); the counties of a city (its nine-digit code).
std::string ProvinceQuery();
std::string CityQuery(std::string_view provinceCode);
std::string CountyQuery(std::string_view cityCode);

}
