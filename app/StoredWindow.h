// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading a window's stored scene: the object stream embedded as a resource of
// type "scene", whose scene roots move into a live scene host.

#include "base/Text.h"
#include "scene/core/TvxComponent.h"
#include "scene/host/TvxForm.h"

#include <stdexcept>
#include <string>

namespace nimbrell {

class TvxCustomScene;
class SceneWindow;

// Reads the stored window named `resource` and attaches its scene to host.
// Throws std::runtime_error when the resource is missing or holds no scene.
ComponentPtr<TvxForm> ReadStoredWindow(const std::string& resource, TvxCustomScene& host);

// Places a window of the given size in the middle of the work area of the
// monitor the pointer is on.
void CentreOnMonitor(SceneWindow& window, int width, int height);

// The named element of a stored window; throws when it is missing or of another class.
template<typename T>
T* StoredElement(const TvxForm& design, const std::string& name)
{
    T* found = design.Find<T>(name);
    if (!found)
        throw std::runtime_error(Format("The stored window %s has no element %s", design.Name().c_str(), name.c_str()));
    return found;
}

}
