// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/PlaceSearch.h"

#include "data/CityDatabase.h"

#include <algorithm>
#include <map>

namespace nimbrell {

namespace {

constexpr const char* kSeparator = " · ";

enum Quality {
    kWhole = 0,
    kBeginning = 1,
    kInside = 2,
    kNone = 3
};

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Typed text as the readings are written: lower case, no blanks, ü as v.
std::string normalized(std::string_view typed)
{
    std::string text;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        char c = typed[i];
        if (typed.substr(i, 2) == "ü" || typed.substr(i, 2) == "Ü") {
            text += 'v';
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\'') {
            continue;
        } else {
            text += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return text;
}

Quality compare(std::string_view key, std::string_view typed, bool inside)
{
    if (key == typed)
        return kWhole;
    if (key.starts_with(typed))
        return kBeginning;
    if (inside && key.find(typed) != std::string_view::npos)
        return kInside;
    return kNone;
}

}

PlaceSearch::PlaceSearch(const std::vector<Place>& places)
{
    std::map<std::string, std::string> provinces; // two-digit code → name
    std::map<std::string, std::string> cities;    // first seven digits → name
    for (const Place& place : places) {
        if (place.flag == "1")
            provinces.emplace(place.code, place.name);
        else if (place.flag == "2")
            cities.emplace(place.code.substr(0, 7), place.name);
    }
    for (const Place& place : places) {
        bool city = place.flag == "2";
        if ((!city && place.flag != "3") || place.code.size() != 9)
            continue;
        auto parents = city ? provinces.find(place.code.substr(3, 2)) : cities.find(place.code.substr(0, 7));
        bool known = parents != (city ? provinces.end() : cities.end());
        Entry entry { { place.code, place.name, place.name }, city, {}, {} };
        if (known)
            entry.match.shown += kSeparator + parents->second;
        bool wordStart = true;
        for (char c : place.pinyin) {
            if (c == ' ') {
                wordStart = true;
                continue;
            }
            entry.full += c;
            if (wordStart)
                entry.initials += c;
            wordStart = false;
        }
        m_entries.push_back(std::move(entry));
    }
}

PlaceSearch PlaceSearch::FromDatabase(CityDatabase& database)
{
    std::vector<Place> places;
    auto statement = database.Prepare("select T_weather.code,name,flag,pinyin from T_weather"
                                      " left join T_pinyin on T_weather.code=T_pinyin.code");
    while (statement.Step())
        places.push_back({ statement.ColumnText(0), statement.ColumnText(1), statement.ColumnText(2), statement.ColumnText(3) });
    return PlaceSearch(places);
}

std::vector<PlaceMatch> PlaceSearch::Find(std::string_view typed, std::size_t limit) const
{
    std::string text = normalized(typed);
    if (text.empty() || limit == 0)
        return {};
    bool reading = isAscii(text);
    // The best matches of each quality, cities and counties apart, in list order.
    struct Ranked {
        Quality quality;
        bool city;
        std::size_t index;
    };
    std::vector<Ranked> found;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        Quality quality = reading ? std::min(compare(entry.full, text, false), compare(entry.initials, text, false))
                                  : compare(entry.match.name, text, true);
        if (quality != kNone)
            found.push_back({ quality, entry.city, i });
    }
    auto order = [](const Ranked& a, const Ranked& b) {
        if (a.city != b.city)
            return a.city;
        if (a.quality != b.quality)
            return a.quality < b.quality;
        return a.index < b.index;
    };
    std::size_t count = std::min(limit, found.size());
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count), found.end(), order);
    std::vector<PlaceMatch> matches;
    for (std::size_t i = 0; i < count; ++i)
        matches.push_back(m_entries[found[i].index].match);
    return matches;
}

}
