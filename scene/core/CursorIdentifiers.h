// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The cursor identifiers stored streams use for the Cursor property
// ("crHandPoint" is -21), both ways.

#include "scene/core/PropertyTable.h"

namespace nimbrell {

const IntegerIdentifiers& CursorIdentifiers();

}
