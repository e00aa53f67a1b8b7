// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StoredWindow.h"

#include "platform/Resources.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/core/ObjectStream.h"
#include "platform/Application.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/host/TvxScene.h"

namespace nimbrell {

ComponentPtr<TvxForm> ReadStoredWindow(const std::string& resource, TvxCustomScene& host)
{
    RegisterSceneControlClasses();
    auto stream = platform::FindResource(resource, "scene");
    if (!stream)
        throw std::runtime_error(Format("The stored window %s is missing", resource.c_str()));
    ComponentPtr<TvxForm> design(new TvxForm(nullptr));
    ReadObjectStream(*stream, *design);
    platform::ReleaseResource(*stream);
    TvxSceneRecord* record = design->SceneRecord();
    if (!record)
        throw std::runtime_error(Format("The stored window %s holds no scene", resource.c_str()));
    record->AttachTo(host);
    return design;
}

void CentreOnMonitor(SceneWindow& window, int width, int height)
{
    auto& backend = platform::Application::Instance().GetBackend();
    platform::ScreenRect area = backend.WorkAreaAt(backend.CursorPosition());
    window.Move(area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2);
}

}
