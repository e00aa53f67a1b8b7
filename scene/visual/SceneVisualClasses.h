// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace nimbrell {

// Registers the classes below this library and installs the painter the canvas uses
// for fills that show a visual object.
void RegisterSceneVisualClasses();

}
