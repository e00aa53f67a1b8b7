// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace nimbrell {

// Registers every class a stored scene or style sheet may name: shapes, the scene host's
// background, animations, the style container and the controls.
void RegisterSceneControlClasses();

}
