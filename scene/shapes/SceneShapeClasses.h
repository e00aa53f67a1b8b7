// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace nimbrell {

// Registers the classes of this library that streams name (and those of the libraries
// below it).
void RegisterSceneShapeClasses();

}
