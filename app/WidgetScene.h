// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The widget's scene, read from the window's stored object stream (embedded as
// resource "FormWeather" of type "scene"), and the named elements the weather
// cycle and the window modes work on.

#include "scene/core/TvxComponent.h"
#include "scene/host/TvxForm.h"

#include <array>

namespace nimbrell {

class TvxAnimation;
class TvxBackground;
class TvxCustomScene;
class TvxImage;
class TvxImageList;
class TvxLayout;
class TvxMenuItem;
class TvxPopupMenu;
class TvxRectangle;
class TvxText;

struct WidgetScene {
    // Owns every stored component; the roots belong to the scene once attached.
    ComponentPtr<TvxForm> design;

    TvxBackground* Root1 { nullptr };
    TvxRectangle* RectangleMore { nullptr };
    TvxRectangle* Image1 { nullptr };
    TvxText* text_weather { nullptr };
    TvxText* text_wenDu { nullptr };
    TvxText* text_wenDu_2 { nullptr };
    TvxText* text_Wind { nullptr };
    // The row of the place and the conditions now, and the air chip beside it.
    TvxText* text_city { nullptr };
    TvxText* text_now { nullptr };
    TvxText* text_updated { nullptr };
    TvxRectangle* AirChip { nullptr };
    TvxText* text_air { nullptr };
    // Days 2 … 6.
    std::array<TvxImage*, 5> dayImages {};
    std::array<TvxText*, 5> dayTemperatures {};
    std::array<TvxText*, 5> dayWeathers {};
    // Days 4 … 6.
    std::array<TvxText*, 3> dayDates {};
    // FloatAnimation1, 2, 3, 4, 5 and 8, in the order faStart starts them.
    std::array<TvxAnimation*, 6> entrance {};
    TvxImageList* vxImageList1 { nullptr };
    TvxPopupMenu* PopupMenu1 { nullptr };
    TvxMenuItem* N1 { nullptr };
    TvxMenuItem* N3 { nullptr };
    TvxMenuItem* N4 { nullptr };
    TvxMenuItem* N5 { nullptr };
    TvxMenuItem* N8 { nullptr };
    TvxMenuItem* N9 { nullptr };
};

// Reads the stored window and moves its roots into scene. Throws
// std::runtime_error when the resource is missing or an element is not there.
WidgetScene LoadWidgetScene(TvxCustomScene& scene);

}
