// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// nimbrell --render FILE.png: the windows drawn without a desktop. The widget looks once the first weather
// result (or failure) has arrived and every animation has reached its end.

#include <cstdint>
#include <optional>
#include <string>

namespace nimbrell {

class TFormWeather;

// The opaque colour (ARGB) a picture is laid on, standing in for a desktop;
// nothing: the window's own transparency is kept.
using RenderBackground = std::optional<std::uint32_t>;

// Runs the message loop until the form's first weather result or failure, ends
// the running animations (a looping one at its start value), paints the whole
// window and writes it as a PNG with straight alpha. Throws std::runtime_error.
void RenderWidget(TFormWeather& form, const std::string& path, RenderBackground background = std::nullopt);

// nimbrell --render FILE.png --window update: the update window offering a
// sample build, as it first opens.
void RenderUpdateWindow(const std::string& path, RenderBackground background = std::nullopt);

// nimbrell --render FILE.png --window config: the settings window as it opens
// over the widget, on the stored settings (the autostart entry left alone).
void RenderConfigWindow(TFormWeather& form, const std::string& path, RenderBackground background = std::nullopt);

}
