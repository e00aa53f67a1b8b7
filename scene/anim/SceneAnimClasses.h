#pragma once

namespace nimbrell {

// Registers the animation classes streams name (and those of the libraries below).
void RegisterSceneAnimClasses();

}
