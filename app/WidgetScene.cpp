#include "app/WidgetScene.h"

#include "platform/Resources.h"
#include "platform/Text.h"
#include "scene/anim/SceneAnimClasses.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxImageList.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"

#include <stdexcept>
#include <string>

namespace nimbrell {

namespace {

template<typename T>
T* element(const TvxForm& design, const std::string& name)
{
    T* found = design.Find<T>(name);
    if (!found)
        throw std::runtime_error(platform::Format("The widget's scene has no element %s", name.c_str()));
    return found;
}

}

WidgetScene LoadWidgetScene(TvxCustomScene& host)
{
    RegisterSceneHostClasses();
    RegisterSceneAnimClasses();
    auto stream = platform::FindResource("FormWeather", "scene");
    if (!stream)
        throw std::runtime_error("The widget's scene resource is missing");
    WidgetScene scene;
    scene.design.reset(new TvxForm(nullptr));
    ReadObjectStream(*stream, *scene.design);
    const TvxForm& design = *scene.design;
    TvxSceneRecord* record = design.SceneRecord();
    if (!record)
        throw std::runtime_error("The widget's scene resource holds no scene");
    record->AttachTo(host);

    scene.Root1 = element<TvxBackground>(design, "Root1");
    scene.RectangleMore = element<TvxRectangle>(design, "RectangleMore");
    scene.Image1 = element<TvxRectangle>(design, "Image1");
    scene.text_weather = element<TvxText>(design, "text_weather");
    scene.text_wenDu = element<TvxText>(design, "text_wenDu");
    scene.text_wenDu_2 = element<TvxText>(design, "text_wenDu_2");
    scene.text_Wind = element<TvxText>(design, "text_Wind");
    for (int day = 2; day <= 6; ++day) {
        std::size_t slot = static_cast<std::size_t>(day - 2);
        scene.dayImages[slot] = element<TvxImage>(design, "Image" + std::to_string(day));
        scene.dayTemperatures[slot] = element<TvxText>(design, "text_winDu" + std::to_string(day));
        scene.dayWeathers[slot] = element<TvxText>(design, "text_weather" + std::to_string(day));
        if (day >= 4)
            scene.dayDates[static_cast<std::size_t>(day - 4)] = element<TvxText>(design, "text_date" + std::to_string(day));
    }
    const char* entrance[] = { "FloatAnimation1", "FloatAnimation2", "FloatAnimation3", "FloatAnimation4", "FloatAnimation5",
        "FloatAnimation8" };
    for (std::size_t i = 0; i < scene.entrance.size(); ++i)
        scene.entrance[i] = element<TvxAnimation>(design, entrance[i]);
    scene.vxImageList1 = element<TvxImageList>(design, "vxImageList1");
    scene.PopupMenu1 = element<TvxPopupMenu>(design, "PopupMenu1");
    scene.N1 = element<TvxMenuItem>(design, "N1");
    scene.N3 = element<TvxMenuItem>(design, "N3");
    scene.N4 = element<TvxMenuItem>(design, "N4");
    scene.N5 = element<TvxMenuItem>(design, "N5");
    scene.N8 = element<TvxMenuItem>(design, "N8");
    scene.N9 = element<TvxMenuItem>(design, "N9");
    return scene;
}

}
