// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace nimbrell {

// The value of TvxObject::Data and the binding operations.
using TvxVariant = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

}
