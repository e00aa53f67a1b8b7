#pragma once

namespace nimbrell {

// Registers the classes of this library that streams name (and those of the libraries
// below it).
void RegisterSceneShapeClasses();

}
