// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace nimbrell::bench {

// A forecast document of one city as the weather service sends it (about 2 KB).
const std::string& ForecastDocument();

// A deterministic document of about `bytes` bytes: a list of varied records with
// Chinese text, escapes, integers, fractions, literals and nesting.
std::string GeneratedDocument(std::size_t bytes);

}
