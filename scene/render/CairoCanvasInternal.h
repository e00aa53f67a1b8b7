// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Inside the Cairo canvas (not for use outside scene/render): owning handles for Cairo
// and Pango objects, and the pattern and text helpers the canvas draws with.

#include "base/Owned.h"
#include "scene/core/Geometry.h"
#include "scene/core/TvxMatrix.h"
#include "scene/render/CanvasEnums.h"
#include "scene/render/Color.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class TvxBrush;
class TvxFont;

namespace cairocanvas {

using PatternPtr = Owned<cairo_pattern_t, cairo_pattern_destroy>;
using SurfacePtr = Owned<cairo_surface_t, cairo_surface_destroy>;
using ContextPtr = Owned<cairo_t, cairo_destroy>;
using FontOptionsPtr = Owned<cairo_font_options_t, cairo_font_options_destroy>;
using FontDescriptionPtr = Owned<PangoFontDescription, pango_font_description_free>;
using AttrListPtr = Owned<PangoAttrList, pango_attr_list_unref>;
template<typename T>
using GObjectPtr = Owned<T, g_object_unref>;

cairo_matrix_t ToCairo(const TvxMatrix& m);
// True when the picture's outer rows and columns are fully transparent.
bool TransparentBorder(cairo_surface_t* picture);
// A finite transform that can be inverted.
bool Invertible(const cairo_matrix_t& m);
PatternPtr SolidPattern(TvxColor color);

// A resource brush is replaced by what it names.
const TvxBrush& ResolveBrush(const TvxBrush& brush);
// The pattern of a fill or stroke over r; opacity is baked into colours, and returned in
// alpha for bitmaps, whose pixels cannot take it. None when nothing is to be drawn. A
// bitmap is drawn from its picture for the device scale, in the stated picture's units.
PatternPtr BrushPattern(const TvxBrush& brush, const TvxRect& r, float opacity, bool stroke, float strokeThickness,
    float deviceScale, float& alpha);

// Text layouts of one canvas, sharing one Pango context brought up to date with the
// canvas's transform and the antialiasing asked for.
class TextLayouts {
public:
    GObjectPtr<PangoLayout> Layout(cairo_t* cr, const TvxFont& font, const TvxRect& rect, std::string_view text,
        bool wordWrap, TvxTextAlign horizontal, bool subpixel);

private:
    GObjectPtr<PangoLayout> NewLayout(const TvxFont& font, const TvxRect& rect, std::string_view text, bool wordWrap, TvxTextAlign horizontal);

    GObjectPtr<PangoContext> m_context;
    // What the context was last brought up to date with.
    struct ContextState {
        cairo_t* cr;
        cairo_surface_t* target;
        double xx, yx, xy, yy;
        bool operator==(const ContextState&) const = default;
    };
    std::optional<ContextState> m_contextState;
    bool m_optionsSet { false };
    bool m_subpixel { false };
    // The layouts made last, the newest at the end: an animated panel draws the
    // same texts at every frame, and shaping them again would be most of its cost.
    // A layout follows its context by itself when that changes.
    struct Kept {
        std::string key;
        GObjectPtr<PangoLayout> layout;
    };
    std::vector<Kept> m_kept;
};

// Adds the font file held in data to the fonts text is laid out in, for the rest of
// the process. False when data holds no font the font library can read.
bool LoadFontData(std::span<const std::uint8_t> data);

// Where the layout's origin goes so that its lines sit aligned in rect.
TvxPoint LayoutOrigin(PangoLayout* layout, const TvxRect& rect, bool wordWrap, TvxTextAlign horizontal,
    TvxTextAlign vertical);

}

}
