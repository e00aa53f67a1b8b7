// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "json/JsonValue.h"

#include <string>

namespace nimbrell::test {

// A compact rendering of a tree for comparisons: numbers with 17 significant digits,
// strings as UTF-8 with control characters and lone surrogates shown as \uXXXX,
// objects as {name:value,...} in member order, "<none>" for no value.
std::string Dump(const TxJSONbase* value);

}
