// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding a place by name: Chinese characters, or the toneless pinyin typed in
// full ("haerbin", "ha er bin"), as a beginning ("haer") or as initials
// ("heb"), with ü typed as "v" ("lvliang"). Cities come before counties; within
// each, a place whose name or reading the typed text is wholly comes before one
// it only begins (or, for characters, contains), then the list's order.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class CityDatabase;

struct PlaceMatch {
    std::string code;
    std::string name;
    std::string shown; // "哈尔滨 · 黑龙江" for a city, "双城 · 哈尔滨" for a county
};

class PlaceSearch {
public:
    struct Place {
        std::string code;
        std::string name;
        std::string flag;   // "1" province, "2" city, "3" county
        std::string pinyin; // toneless syllables separated by spaces
    };

    // Provinces are named as parents but never found.
    explicit PlaceSearch(const std::vector<Place>& places);
    // Every place of the database with its reading (T_pinyin). Throws as the
    // database does.
    static PlaceSearch FromDatabase(CityDatabase& database);

    // Up to `limit` matches of `typed`; none for blank text.
    std::vector<PlaceMatch> Find(std::string_view typed, std::size_t limit = 8) const;

    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        PlaceMatch match;
        bool city;
        std::string full;     // "haerbin"
        std::string initials; // "heb"
    };
    std::vector<Entry> m_entries;
};

}
