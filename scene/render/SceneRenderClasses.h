#pragma once

namespace nimbrell {

// Registers the classes of this library that streams name.
void RegisterSceneRenderClasses();

}
