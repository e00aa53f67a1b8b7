// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a desktop window shows of the images pushed to it: a copy of the bounds
// of their non-transparent pixels, and the shape of those pixels (what takes the
// mouse). A push reads only its damage, so a frame that changed a few texts
// costs their rectangles, not the window.

#include "base/Owned.h"
#include "platform/Backend.h"
#include "platform/gtk/AlphaRegion.h"

#include <cairo.h>

#include <memory>
#include <span>
#include <vector>

namespace nimbrell::platform {

class LayeredImage {
public:
    LayeredImage();
    ~LayeredImage();
    LayeredImage(const LayeredImage&) = delete;
    LayeredImage& operator=(const LayeredImage&) = delete;

    // Takes the image (see NativeWindow::PushLayered); `whole` reads all of it,
    // as for a first push or a new size. Returns whether the shape changed.
    bool Push(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted, std::span<const ScreenRect> damage, bool whole);

    // The parts of the window the last push changed.
    const std::vector<cairo_rectangle_int_t>& Changed() const { return m_changed; }
    // The pixels of alpha above 0.
    const cairo_region_t* Shape() const { return m_shape.get(); }
    // The kept pixels and where they go in the window; null when nothing shows.
    cairo_surface_t* Surface() const { return m_surface.get(); }
    const cairo_rectangle_int_t& Area() const { return m_area; }

private:
    // Places the copy over `extents` or more; false when the old place serves.
    bool Reserve(const cairo_rectangle_int_t& extents, const ScreenRect& readable);
    void Copy(const std::uint32_t* pixels, int strideBytes, const ScreenRect& readable, const ScreenRect& rect);

    Region m_shape;
    Owned<cairo_surface_t, cairo_surface_destroy> m_surface;
    cairo_rectangle_int_t m_area { 0, 0, 0, 0 };
    std::vector<cairo_rectangle_int_t> m_changed;
};

}
