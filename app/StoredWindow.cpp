#include "app/StoredWindow.h"

#include "platform/Resources.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/core/ObjectStream.h"
#include "scene/host/TvxCustomScene.h"

namespace nimbrell {

ComponentPtr<TvxForm> ReadStoredWindow(const std::string& resource, TvxCustomScene& host)
{
    RegisterSceneControlClasses();
    auto stream = platform::FindResource(resource, "scene");
    if (!stream)
        throw std::runtime_error(Format("The stored window %s is missing", resource.c_str()));
    ComponentPtr<TvxForm> design(new TvxForm(nullptr));
    ReadObjectStream(*stream, *design);
    TvxSceneRecord* record = design->SceneRecord();
    if (!record)
        throw std::runtime_error(Format("The stored window %s holds no scene", resource.c_str()));
    record->AttachTo(host);
    return design;
}

}
