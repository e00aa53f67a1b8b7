// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace nimbrell {

// Registers the animation classes streams name (and those of the libraries below).
void RegisterSceneAnimClasses();

}
