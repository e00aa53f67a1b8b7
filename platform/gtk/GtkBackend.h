#pragma once

// The desktop back end: GTK 3 on X11 (Wayland sessions go through XWayland).

#include "platform/Backend.h"

#include <memory>

namespace nimbrell::platform {

// Nothing when no display can be opened.
std::unique_ptr<Backend> CreateGtkBackend();

}
