// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user's own folders, found the same way by every part of the program.

#include <string>

namespace nimbrell {

// $HOME when set and not empty, else the home folder of the account the
// process runs as; empty when neither exists.
std::string HomeDirectory();

}
