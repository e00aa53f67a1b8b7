// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RenderWidget.h"

#include "app/FormConfig.h"
#include "app/FormUpdate.h"
#include "app/FormWeather.h"
#include "platform/Application.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/host/TvxBackground.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxImageCodec.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace nimbrell {

namespace {

void writeWindowPicture(SceneWindow& window, const std::string& path, RenderBackground background);

}

void RenderWidget(TFormWeather& form, const std::string& path, RenderBackground background)
{
    auto& application = platform::Application::Instance();
    // A picture of the widget: an offer arriving meanwhile is not shown.
    form.OnUpdateWindowOpened = [](TFormUpdate& window) { window.Scene().CloseForm(); };
    // A start-up that stopped before its weather request waits for no answer.
    if (form.WeatherRequestNumber() == 0)
        throw std::runtime_error("the widget could not start" + (form.StartError().empty() ? "" : ": " + form.StartError()));
    while (!(form.WeatherSettled() && form.AirSettled()) && !form.IsClosed() && !application.Terminated())
        application.HandleMessage();
    application.ProcessMessages();
    if (!form.Widget().Root1)
        throw std::runtime_error("the widget's scene was not built");
    FinishAllAnimations();
    writeWindowPicture(form, path, background);
}

void RenderUpdateWindow(const std::string& path, RenderBackground background)
{
    UpdateOffer sample { "http://127.0.0.1:1/nimbrell-2.0.deb", "nimbrell-2.0.deb", "城市列表更新，天气图标更清晰，下载更快。", "" };
    // No folder: nothing can be downloaded from this window.
    TFormUpdate form(sample, TFormUpdate::Options {});
    writeWindowPicture(form, path, background);
}

void RenderConfigWindow(TFormWeather& form, const std::string& path, RenderBackground background)
{
    TFormConfig window(form);
    FinishAllAnimations();
    writeWindowPicture(window, path, background);
}

namespace {

// A premultiplied pixel over an opaque colour.
std::uint32_t over(std::uint32_t pixel, std::uint32_t background)
{
    std::uint32_t left = 255 - (pixel >> 24);
    std::uint32_t out = 0xFF000000u;
    for (int shift : { 0, 8, 16 }) {
        std::uint32_t channel = ((pixel >> shift) & 0xFF) + (((background >> shift) & 0xFF) * left + 127) / 255;
        out |= std::min<std::uint32_t>(channel, 255) << shift;
    }
    return out;
}

void writeWindowPicture(SceneWindow& window, const std::string& path, RenderBackground background)
{
    // The first frame starts the styles' animations (a check box's tick, for
    // one); the picture shows them finished.
    window.Scene().DrawAll();
    FinishAllAnimations();
    window.Scene().DrawAll();
    const TvxBitmap& buffer = window.Scene().Buffer();
    std::vector<std::uint32_t> pixels(buffer.ConstBits(), buffer.ConstBits() + std::size_t(buffer.Width()) * std::size_t(buffer.Height()));
    if (background) {
        for (std::uint32_t& pixel : pixels)
            pixel = over(pixel, *background);
    }
    std::vector<std::uint8_t> png;
    if (!TvxImageCodec::EncodePng(pixels.data(), buffer.Width(), buffer.Height(), png))
        throw std::runtime_error(path + ": cannot encode the picture");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out)
        throw std::runtime_error(path + ": cannot be written");
}

}

}
