// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text rules of the weather panel, apart from the scene so they can be
// checked on their own.

#include <chrono>
#include <string>

namespace nimbrell {

// Day 1's temperature in its two elements: up to and including the first "~",
// then at most 100 characters after it ("32℃~20℃" → "32℃~" and "20℃"); without
// a "~" the first part is empty and the second the first 100 characters.
struct TemperatureParts {
    std::string first;
    std::string second;
};
TemperatureParts SplitTemperature(const std::string& wenDu);

// A day's label, "mm月dd日".
std::string DateLabel(std::chrono::year_month_day date);

// A forecast text made fit to show: control characters become spaces and the
// text is cut after 200 characters, so a hostile document cannot flood the panel.
std::string DisplayText(const std::string& text);

// The first count characters (code points) of UTF-8 text.
std::string LeadingCharacters(const std::string& text, std::size_t count);

}
