// SPDX-License-Identifier: GPL-3.0-or-later
// Text of the Cairo canvas: Pango layouts in the scene's fonts.

#include "scene/render/CairoCanvasInternal.h"

#include "scene/render/FontConfiguration.h"
#include "scene/render/TvxFont.h"

#include <pango/pangofc-fontmap.h>

#include <fontconfig/fontconfig.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>

namespace nimbrell::cairocanvas {

namespace {

PangoFontMap* FontMap()
{
    static PangoFontMap* map = [] {
        LoadFontConfiguration();
        PangoFontMap* created = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (created && PANGO_IS_FC_FONT_MAP(created))
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(created), FcConfigGetCurrent());
        return created;
    }();
    return map;
}

// Writes data into an anonymous memory file; -1 on failure.
int MemoryFile(std::span<const std::uint8_t> data)
{
    int fd = memfd_create("nimbrell-font", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    std::size_t written = 0;
    while (written < data.size()) {
        ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += static_cast<std::size_t>(n);
    }
    return fd;
}

std::string XmlEscaped(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// Text that names one of the face's families first gets the loaded file, before any
// installed font of that family: the file is the font library's strongest match.
void PreferLoadedFile(FcPattern* face, const std::string& path)
{
    std::string rules = "<?xml version=\"1.0\"?><fontconfig>";
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(face, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        rules += "<match target=\"pattern\"><test qual=\"first\" name=\"family\" compare=\"eq\" ignore-blanks=\"true\"><string>";
        rules += XmlEscaped(reinterpret_cast<const char*>(family));
        rules += "</string></test><edit name=\"file\" mode=\"assign\" binding=\"strong\"><string>";
        rules += XmlEscaped(path);
        rules += "</string></edit></match>";
    }
    rules += "</fontconfig>";
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(rules.c_str()), FcFalse);
}

}

bool LoadFontData(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return false;
    PangoFontMap* map = FontMap();
    if (!map || !PANGO_IS_FC_FONT_MAP(map))
        return false;
    static std::mutex loading;
    std::lock_guard lock(loading);
    // The font library reads the file by name whenever it opens the face, so the
    // file lives as long as the process: a memory file, named through /proc, that
    // leaves nothing on disk.
    int fd = MemoryFile(data);
    if (fd < 0)
        return false;
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    const auto* name = reinterpret_cast<const FcChar8*>(path.c_str());
    int faces = 0;
    FcPattern* face = FcFreeTypeQuery(name, 0, nullptr, &faces);
    if (!face) {
        close(fd);
        return false;
    }
    if (!FcConfigAppFontAddFile(FcConfigGetCurrent(), name)) {
        FcPatternDestroy(face);
        close(fd);
        return false;
    }
    // Without the preference the font is still found by a family nothing else has.
    PreferLoadedFile(face, path);
    FcPatternDestroy(face);
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
    return true;
}

GObjectPtr<PangoLayout> TextLayouts::Layout(cairo_t* cr, const TvxFont& font, const TvxRect& rect, std::string_view text,
    bool wordWrap, TvxTextAlign horizontal, bool subpixel)
{
    if (!m_context)
        m_context.reset(pango_font_map_create_context(FontMap()));
    // Bringing the context up to date marks it changed even when nothing did, and
    // every layout made in it is then shaped again at its next use: only when the
    // drawing target or the transform's scale and turn differ (a move alone lays out
    // nothing differently).
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    const ContextState state { cr, cairo_get_target(cr), matrix.xx, matrix.yx, matrix.xy, matrix.yy };
    if (!m_contextState || !(*m_contextState == state)) {
        pango_cairo_update_context(cr, m_context.get());
        m_contextState = state;
    }
    if (!m_optionsSet || m_subpixel != subpixel) {
        FontOptionsPtr options(cairo_font_options_create());
        cairo_font_options_set_antialias(options.get(), subpixel ? CAIRO_ANTIALIAS_SUBPIXEL : CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_SLIGHT);
        pango_cairo_context_set_font_options(m_context.get(), options.get());
        m_optionsSet = true;
        m_subpixel = subpixel;
    }
    std::string key = font.Family();
    const float size = font.Size(), width = wordWrap ? rect.Width() : 0;
    key.append(reinterpret_cast<const char*>(&size), sizeof size);
    key.append(reinterpret_cast<const char*>(&width), sizeof width);
    key += { static_cast<char>(font.Style()), static_cast<char>(horizontal), static_cast<char>(subpixel), '\x1f' };
    key += text;
    auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept& entry) { return entry.key == key; });
    if (kept != m_kept.end()) {
        std::rotate(kept, kept + 1, m_kept.end());
    } else {
        constexpr std::size_t keptLayouts = 48;
        if (m_kept.size() == keptLayouts)
            m_kept.erase(m_kept.begin());
        m_kept.push_back({ std::move(key), NewLayout(font, rect, text, wordWrap, horizontal) });
    }
    return GObjectPtr<PangoLayout>(PANGO_LAYOUT(g_object_ref(m_kept.back().layout.get())));
}

GObjectPtr<PangoLayout> TextLayouts::NewLayout(const TvxFont& font, const TvxRect& rect, std::string_view text, bool wordWrap, TvxTextAlign horizontal)
{
    GObjectPtr<PangoLayout> owned(pango_layout_new(m_context.get()));
    PangoLayout* layout = owned.get();

    FontDescriptionPtr description(pango_font_description_new());
    pango_font_description_set_family(description.get(), font.Family().empty() ? "sans-serif" : font.Family().c_str());
    pango_font_description_set_absolute_size(description.get(), std::max(1.0, double(font.Size())) * PANGO_SCALE);
    TvxFontStyle style = font.Style();
    if (style == TvxFontStyle::vgFontBold || style == TvxFontStyle::vgFontBoldItalic)
        pango_font_description_set_weight(description.get(), PANGO_WEIGHT_BOLD);
    if (style == TvxFontStyle::vgFontItalic || style == TvxFontStyle::vgFontBoldItalic)
        pango_font_description_set_style(description.get(), PANGO_STYLE_ITALIC);
    pango_layout_set_font_description(layout, description.get());
    if (style == TvxFontStyle::vgFontUnderline || style == TvxFontStyle::vgFontStrikeout) {
        AttrListPtr attributes(pango_attr_list_new());
        pango_attr_list_insert(attributes.get(), style == TvxFontStyle::vgFontUnderline ? pango_attr_underline_new(PANGO_UNDERLINE_SINGLE) : pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attributes.get());
    }
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    switch (horizontal) {
    case TvxTextAlign::vgTextAlignCenter:
        pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
        break;
    case TvxTextAlign::vgTextAlignNear:
        pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
        break;
    case TvxTextAlign::vgTextAlignFar:
        pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
        break;
    }
    if (wordWrap && rect.Width() > 0) {
        pango_layout_set_width(layout, static_cast<int>(rect.Width() * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    return owned;
}

TvxPoint LayoutOrigin(PangoLayout* layout, const TvxRect& rect, bool wordWrap, TvxTextAlign horizontal,
    TvxTextAlign vertical)
{
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    float x = float(logical.x) / PANGO_SCALE, width = float(logical.width) / PANGO_SCALE;
    float height = float(logical.height) / PANGO_SCALE, y = float(logical.y) / PANGO_SCALE;
    TvxPoint origin { rect.Left, rect.Top };
    bool wrapped = wordWrap && rect.Width() > 0;
    if (!wrapped) {
        switch (horizontal) {
        case TvxTextAlign::vgTextAlignCenter:
            origin.X = rect.Left + (rect.Width() - width) / 2 - x;
            break;
        case TvxTextAlign::vgTextAlignNear:
            origin.X = rect.Left - x;
            break;
        case TvxTextAlign::vgTextAlignFar:
            origin.X = rect.Right - width - x;
            break;
        }
    }
    switch (vertical) {
    case TvxTextAlign::vgTextAlignCenter:
        origin.Y = rect.Top + (rect.Height() - height) / 2 - y;
        break;
    case TvxTextAlign::vgTextAlignNear:
        origin.Y = rect.Top - y;
        break;
    case TvxTextAlign::vgTextAlignFar:
        origin.Y = rect.Bottom - height - y;
        break;
    }
    return origin;
}

}
