#include "app/WidgetScene.h"

#include "app/StoredWindow.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxImageList.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"

#include <string>

namespace nimbrell {

WidgetScene LoadWidgetScene(TvxCustomScene& host)
{
    WidgetScene scene;
    scene.design = ReadStoredWindow("FormWeather", host);
    const TvxForm& design = *scene.design;

    scene.Root1 = StoredElement<TvxBackground>(design, "Root1");
    scene.RectangleMore = StoredElement<TvxRectangle>(design, "RectangleMore");
    scene.Image1 = StoredElement<TvxRectangle>(design, "Image1");
    scene.text_weather = StoredElement<TvxText>(design, "text_weather");
    scene.text_wenDu = StoredElement<TvxText>(design, "text_wenDu");
    scene.text_wenDu_2 = StoredElement<TvxText>(design, "text_wenDu_2");
    scene.text_Wind = StoredElement<TvxText>(design, "text_Wind");
    for (int day = 2; day <= 6; ++day) {
        std::size_t slot = static_cast<std::size_t>(day - 2);
        scene.dayImages[slot] = StoredElement<TvxImage>(design, "Image" + std::to_string(day));
        scene.dayTemperatures[slot] = StoredElement<TvxText>(design, "text_winDu" + std::to_string(day));
        scene.dayWeathers[slot] = StoredElement<TvxText>(design, "text_weather" + std::to_string(day));
        if (day >= 4)
            scene.dayDates[static_cast<std::size_t>(day - 4)] = StoredElement<TvxText>(design, "text_date" + std::to_string(day));
    }
    const char* entrance[] = { "FloatAnimation1", "FloatAnimation2", "FloatAnimation3", "FloatAnimation4", "FloatAnimation5",
        "FloatAnimation8" };
    for (std::size_t i = 0; i < scene.entrance.size(); ++i)
        scene.entrance[i] = StoredElement<TvxAnimation>(design, entrance[i]);
    scene.vxImageList1 = StoredElement<TvxImageList>(design, "vxImageList1");
    scene.PopupMenu1 = StoredElement<TvxPopupMenu>(design, "PopupMenu1");
    scene.N1 = StoredElement<TvxMenuItem>(design, "N1");
    scene.N3 = StoredElement<TvxMenuItem>(design, "N3");
    scene.N4 = StoredElement<TvxMenuItem>(design, "N4");
    scene.N5 = StoredElement<TvxMenuItem>(design, "N5");
    scene.N8 = StoredElement<TvxMenuItem>(design, "N8");
    scene.N9 = StoredElement<TvxMenuItem>(design, "N9");
    return scene;
}

}
