// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/LayeredImage.h"

#include "platform/gtk/AlphaRegion.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace nimbrell::platform {

namespace {

cairo_rectangle_int_t cairoRect(const ScreenRect& rect)
{
    return { rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top };
}

ScreenRect screenRect(const cairo_rectangle_int_t& rect)
{
    return { rect.x, rect.y, rect.x + rect.width, rect.y + rect.height };
}

bool contains(const cairo_rectangle_int_t& outer, const cairo_rectangle_int_t& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width && inner.y + inner.height <= outer.y + outer.height;
}

long long areaOf(const cairo_rectangle_int_t& rect)
{
    return static_cast<long long>(rect.width) * rect.height;
}

}

LayeredImage::LayeredImage()
    : m_shape(cairo_region_create())
{
}

LayeredImage::~LayeredImage() = default;

bool LayeredImage::Push(const std::uint32_t* pixels, int width, int height, int strideBytes, const ScreenRect& painted, std::span<const ScreenRect> damage, bool whole)
{
    const ScreenRect window { 0, 0, width, height };
    const ScreenRect readable = painted.Within(window);
    m_changed.clear();
    if (whole) {
        m_changed.push_back(cairoRect(window));
    } else {
        // The damage of a frame overlaps (an object and its children): each pixel
        // is read once.
        Region changed(cairo_region_create());
        for (const ScreenRect& rect : damage) {
            if (ScreenRect inside = rect.Within(window); !inside.IsEmpty()) {
                cairo_rectangle_int_t area = cairoRect(inside);
                cairo_region_union_rectangle(changed.get(), &area);
            }
        }
        m_changed.resize(static_cast<std::size_t>(cairo_region_num_rectangles(changed.get())));
        for (std::size_t i = 0; i < m_changed.size(); ++i)
            cairo_region_get_rectangle(changed.get(), static_cast<int>(i), &m_changed[i]);
        if (m_changed.empty())
            return false;
    }

    // The shape outside the damage stands; inside it the pixels tell.
    Region before(cairo_region_copy(m_shape.get()));
    for (const cairo_rectangle_int_t& changed : m_changed) {
        cairo_region_subtract_rectangle(m_shape.get(), &changed);
        if (ScreenRect scanned = screenRect(changed).Within(readable); !scanned.IsEmpty()) {
            const auto* first = reinterpret_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(scanned.top) * strideBytes + static_cast<std::ptrdiff_t>(scanned.left) * 4;
            Region found = RegionAboveAlpha(first, scanned.right - scanned.left, scanned.bottom - scanned.top, strideBytes, 0, scanned.left, scanned.top);
            cairo_region_union(m_shape.get(), found.get());
        }
    }

    cairo_rectangle_int_t extents;
    cairo_region_get_extents(m_shape.get(), &extents);
    if (Reserve(extents, readable)) {
        if (m_surface)
            Copy(pixels, strideBytes, readable, screenRect(m_area));
    } else if (m_surface) {
        for (const cairo_rectangle_int_t& changed : m_changed)
            Copy(pixels, strideBytes, readable, screenRect(changed).Within(screenRect(m_area)));
    }
    return !cairo_region_equal(before.get(), m_shape.get());
}

bool LayeredImage::Reserve(const cairo_rectangle_int_t& extents, const ScreenRect& readable)
{
    if (extents.width <= 0 || extents.height <= 0) {
        bool had = m_surface != nullptr;
        m_surface.reset();
        m_area = { 0, 0, 0, 0 };
        return had;
    }
    // A copy much larger than what shows is given back; one that grows takes the
    // whole painted part at once, so a panel that slides open is not copied anew
    // at every frame.
    if (m_surface && contains(m_area, extents) && areaOf(extents) * 2 >= areaOf(m_area))
        return false;
    cairo_rectangle_int_t area = extents;
    if (cairo_rectangle_int_t all = cairoRect(readable); contains(all, extents) && areaOf(extents) * 2 >= areaOf(all))
        area = all;
    m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width, area.height));
    m_area = area;
    return true;
}

void LayeredImage::Copy(const std::uint32_t* pixels, int strideBytes, const ScreenRect& readable, const ScreenRect& rect)
{
    if (rect.IsEmpty())
        return;
    cairo_surface_flush(m_surface.get());
    unsigned char* target = cairo_image_surface_get_data(m_surface.get());
    const int targetStride = cairo_image_surface_get_stride(m_surface.get());
    const int left = std::max(rect.left, readable.left), right = std::min(rect.right, readable.right);
    // Columns in the copy's coordinates.
    const int from = rect.left - m_area.x, to = rect.right - m_area.x, readFrom = left - m_area.x, readTo = right - m_area.x;
    for (int y = rect.top; y < rect.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y - m_area.y) * targetStride);
        if (y < readable.top || y >= readable.bottom || left >= right) {
            std::fill(row + from, row + to, 0u);
            continue;
        }
        const auto* source = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(y) * strideBytes);
        std::fill(row + from, row + readFrom, 0u);
        std::memcpy(row + readFrom, source + left, static_cast<std::size_t>(right - left) * 4);
        std::fill(row + readTo, row + to, 0u);
    }
    cairo_surface_mark_dirty_rectangle(m_surface.get(), rect.left - m_area.x, rect.top - m_area.y, rect.right - rect.left, rect.bottom - rect.top);
}

}
