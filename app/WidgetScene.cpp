// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <tuple>

namespace nimbrell {

namespace {

// A named element of the stored window and the scene member it fills.
template<typename T>
struct Element {
    T* WidgetScene::*member;
    const char* name;
};

// Elements named prefix + number, filling an array member in the order of the numbers.
template<typename T, std::size_t N>
struct NumberedElements {
    std::array<T*, N> WidgetScene::*member;
    const char* prefix;
    std::array<int, N> numbers;
};

template<typename T>
void Bind(WidgetScene& scene, const TvxForm& design, const Element<T>& element)
{
    scene.*element.member = StoredElement<T>(design, element.name);
}

template<typename T, std::size_t N>
void Bind(WidgetScene& scene, const TvxForm& design, const NumberedElements<T, N>& elements)
{
    for (std::size_t i = 0; i < N; ++i)
        (scene.*elements.member)[i] = StoredElement<T>(design, elements.prefix + std::to_string(elements.numbers[i]));
}

const auto kElements = std::tuple {
    Element { &WidgetScene::Root1, "Root1" },
    Element { &WidgetScene::RectangleMore, "RectangleMore" },
    Element { &WidgetScene::Image1, "Image1" },
    Element { &WidgetScene::text_weather, "text_weather" },
    Element { &WidgetScene::text_wenDu, "text_wenDu" },
    Element { &WidgetScene::text_wenDu_2, "text_wenDu_2" },
    Element { &WidgetScene::text_Wind, "text_Wind" },
    Element { &WidgetScene::text_city, "text_city" },
    Element { &WidgetScene::text_now, "text_now" },
    Element { &WidgetScene::text_updated, "text_updated" },
    Element { &WidgetScene::AirChip, "AirChip" },
    Element { &WidgetScene::text_air, "text_air" },
    NumberedElements<TvxImage, 5> { &WidgetScene::dayImages, "Image", { 2, 3, 4, 5, 6 } },
    NumberedElements<TvxText, 5> { &WidgetScene::dayTemperatures, "text_winDu", { 2, 3, 4, 5, 6 } },
    NumberedElements<TvxText, 5> { &WidgetScene::dayWeathers, "text_weather", { 2, 3, 4, 5, 6 } },
    NumberedElements<TvxText, 3> { &WidgetScene::dayDates, "text_date", { 4, 5, 6 } },
    // In the order faStart starts them.
    NumberedElements<TvxAnimation, 6> { &WidgetScene::entrance, "FloatAnimation", { 1, 2, 3, 4, 5, 8 } },
    Element { &WidgetScene::vxImageList1, "vxImageList1" },
    Element { &WidgetScene::PopupMenu1, "PopupMenu1" },
    Element { &WidgetScene::N1, "N1" },
    Element { &WidgetScene::N3, "N3" },
    Element { &WidgetScene::N4, "N4" },
    Element { &WidgetScene::N5, "N5" },
    Element { &WidgetScene::N8, "N8" },
    Element { &WidgetScene::N9, "N9" },
};

}

WidgetScene LoadWidgetScene(TvxCustomScene& host)
{
    WidgetScene scene;
    scene.design = ReadStoredWindow("FormWeather", host);
    std::apply([&](const auto&... element) { (Bind(scene, *scene.design, element), ...); }, kElements);
    return scene;
}

}
