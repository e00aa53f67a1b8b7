// SPDX-License-Identifier: GPL-3.0-or-later
// The canvas on Cairo, with text through Pango. Cairo errors are sticky on a context, so
// the status is checked in one place (Check) after every operation and raised as
// TvxCanvasError there.

#include "scene/render/TvxCanvas.h"

#include "scene/core/TvxObject.h"
#include "scene/render/CairoCanvasInternal.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxPathData.h"
#include "scene/render/TvxRectFigure.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace nimbrell {

namespace {

using namespace cairocanvas;

// The ellipse control factor of four cubic quarter arcs.
constexpr double kEllipseControl = 0.5522847498307936;

// Maps points from one rectangle onto another.
struct Mapper {
    TvxRect from;
    TvxRect to;
    TvxPoint operator()(TvxPoint p) const
    {
        return { to.Width() * (p.X - from.Left) / from.Width() + to.Left, to.Height() * (p.Y - from.Top) / from.Height() + to.Top };
    }
};

class TvxCanvasCairo final : public TvxCanvas {
public:
    explicit TvxCanvasCairo(TvxBitmap* target)
        : m_target(target)
    {
        if (target) {
            m_width = target->Width();
            m_height = target->Height();
            CreateContext(target->Surface());
        } else {
            m_buffered = true;
        }
    }

    TvxBitmap* Buffer() override { return m_buffered ? &m_buffer : nullptr; }

    void ResizeBuffer(int width, int height) override
    {
        width = std::max(width, 1);
        height = std::max(height, 1);
        if (!m_buffered || (width == m_width && height == m_height && m_cr))
            return;
        m_width = width;
        m_height = height;
        CreateBuffer();
    }

    void SetDeviceScale(float scale) override
    {
        if (!m_buffered || !(scale > 0) || !std::isfinite(scale) || scale == m_deviceScale)
            return;
        m_deviceScale = scale;
        if (m_width > 0 && m_height > 0)
            CreateBuffer();
    }

    void Clear(TvxColor color) override
    {
        TvxBitmap* target = Pixels();
        if (!target)
            return;
        Flush();
        target->ClearRect({ 0, 0, float(target->Width()), float(target->Height()) }, color);
    }

    void ClearRect(const TvxRect& rect, TvxColor color) override
    {
        TvxBitmap* target = Pixels();
        if (!target)
            return;
        Flush();
        const float k = m_deviceScale;
        target->ClearRect(k == 1 ? rect : TvxRect { rect.Left * k, rect.Top * k, rect.Right * k, rect.Bottom * k }, color);
    }

    void SetMatrix(const TvxMatrix& matrix) override
    {
        m_paint.matrix = matrix;
        if (!m_cr)
            return;
        cairo_matrix_t m = ToCairo(matrix);
        if (m_deviceScale != 1) {
            cairo_matrix_t device;
            cairo_matrix_init_scale(&device, m_deviceScale, m_deviceScale);
            cairo_matrix_multiply(&m, &m, &device);
        }
        // m13 and m23 are 0 in every matrix of the scene; a projective part is dropped.
        m_degenerate = !Invertible(m);
        if (!m_degenerate)
            cairo_set_matrix(m_cr, &m);
        Check();
    }

    void MultyMatrix(const TvxMatrix& matrix) override
    {
        if (!m_cr || m_degenerate)
            return;
        cairo_matrix_t m = ToCairo(matrix);
        if (!Invertible(m)) {
            m_degenerate = true;
            return;
        }
        cairo_transform(m_cr, &m);
        Check();
    }

    int SaveCanvas() override
    {
        if (!m_cr)
            return -1;
        std::size_t slot = 0;
        while (slot < m_saves.size() && m_saves[slot])
            ++slot;
        if (slot == m_saves.size())
            m_saves.emplace_back();
        cairo_save(m_cr);
        m_saves[slot].emplace(Saved { CopyPaintState(), m_degenerate, m_order.size() });
        m_order.push_back(slot);
        Check();
        return static_cast<int>(slot);
    }

    void RestoreCanvas(int state) override
    {
        if (state < 0 || std::size_t(state) >= m_saves.size() || !m_saves[std::size_t(state)] || !m_cr)
            return;
        std::size_t depth = m_saves[std::size_t(state)]->depth;
        // Later saves are dropped with it, as their back-end states lie above.
        while (m_order.size() > depth) {
            std::size_t slot = m_order.back();
            m_order.pop_back();
            cairo_restore(m_cr);
            if (slot != std::size_t(state))
                m_saves[slot].reset();
        }
        Saved saved = std::move(*m_saves[std::size_t(state)]);
        m_saves[std::size_t(state)].reset();
        m_degenerate = saved.degenerate;
        RestorePaintState(*saved.paint);
        Check();
    }

    void SetClipRects(std::span<const TvxRect> rects) override
    {
        if (!Ready())
            return;
        cairo_reset_clip(m_cr);
        cairo_new_path(m_cr);
        for (const TvxRect& r : rects)
            cairo_rectangle(m_cr, r.Left, r.Top, r.Width(), r.Height());
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
        cairo_clip(m_cr);
        Check();
    }

    void IntersectClipRect(const TvxRect& r) override
    {
        if (!Ready())
            return;
        cairo_new_path(m_cr);
        cairo_rectangle(m_cr, r.Left, r.Top, std::max(0.0f, r.Width()), std::max(0.0f, r.Height()));
        cairo_clip(m_cr);
        Check();
    }

    void ExcludeClipRect(const TvxRect& r) override
    {
        if (!Ready())
            return;
        cairo_new_path(m_cr);
        cairo_rectangle(m_cr, r.Left, r.Top, r.Width(), r.Height());
        cairo_save(m_cr);
        cairo_identity_matrix(m_cr);
        cairo_rectangle(m_cr, -1e6, -1e6, 2e6, 2e6);
        cairo_restore(m_cr);
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_clip(m_cr);
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
        Check();
    }

    void ResetClipRect() override
    {
        if (!m_cr)
            return;
        cairo_reset_clip(m_cr);
        Check();
    }

    void DrawLine(TvxPoint p1, TvxPoint p2, float opacity) override
    {
        if (!Ready() || m_paint.stroke.Style() == TvxBrushStyle::vgBrushNone)
            return;
        cairo_new_path(m_cr);
        cairo_move_to(m_cr, p1.X, p1.Y);
        cairo_line_to(m_cr, p2.X, p2.Y);
        StrokeCurrentPath({ p1.X, p1.Y, p2.X, p2.Y }, opacity);
    }

    void FillRect(const TvxRect& rect, float rx, float ry, TvxCorners corners, float opacity, TvxCornerType type) override
    {
        if (!Ready() || m_paint.fill.Style() == TvxBrushStyle::vgBrushNone)
            return;
        cairo_new_path(m_cr);
        if ((rx == 0 && ry == 0) || corners == TvxCorners())
            cairo_rectangle(m_cr, rect.Left, rect.Top, rect.Width(), rect.Height());
        else
            AppendFigure(rect, rx, ry, corners, type);
        FillCurrentPath(rect, opacity);
    }

    void DrawRect(const TvxRect& rect, float rx, float ry, TvxCorners corners, float opacity, TvxCornerType type) override
    {
        if (!Ready() || m_paint.stroke.Style() == TvxBrushStyle::vgBrushNone)
            return;
        cairo_new_path(m_cr);
        if (std::fabs(rx) < 1E-40f && std::fabs(ry) < 1E-40f)
            cairo_rectangle(m_cr, rect.Left, rect.Top, rect.Width(), rect.Height());
        else
            AppendFigure(rect, rx, ry, corners, type);
        StrokeCurrentPath(rect, opacity);
    }

    void FillEllipse(const TvxRect& rect, float opacity) override
    {
        if (!Ready() || m_paint.fill.Style() == TvxBrushStyle::vgBrushNone)
            return;
        AppendEllipse(rect);
        FillCurrentPath(rect, opacity);
    }

    void DrawEllipse(const TvxRect& rect, float opacity) override
    {
        if (!Ready() || m_paint.stroke.Style() == TvxBrushStyle::vgBrushNone)
            return;
        AppendEllipse(rect);
        StrokeCurrentPath(rect, opacity);
    }

    bool PtInPath(TvxPoint point, const TvxRect& rect, const TvxPathData& path) override
    {
        if (point.X < rect.Left || point.X > rect.Right || point.Y < rect.Top || point.Y > rect.Bottom)
            return false;
        if (!Ready() || !AppendPath(path, rect))
            return false;
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
        bool inside = cairo_in_fill(m_cr, point.X, point.Y);
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
        cairo_new_path(m_cr);
        Check();
        return inside;
    }

    void FillPath(const TvxPathData& path, const TvxRect& rect, float opacity) override
    {
        if (!Ready() || m_paint.fill.Style() == TvxBrushStyle::vgBrushNone || !AppendPath(path, rect))
            return;
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
        FillCurrentPath(rect, opacity);
        cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
        Check();
    }

    void DrawPath(const TvxPathData& path, const TvxRect& rect, float opacity) override
    {
        if (!Ready() || m_paint.stroke.Style() == TvxBrushStyle::vgBrushNone || path.IsEmpty())
            return;
        TvxRect bounds = path.Bounds();
        if (bounds.Width() * bounds.Height() == 0)
            return;
        // Each segment is stroked on its own, so segments neither join nor close up.
        cairo_new_path(m_cr);
        Mapper map { bounds, rect };
        auto points = path.Points();
        TvxPoint start, current;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TvxPathPoint& p = points[i];
            switch (p.Kind) {
            case TvxPathPointKind::vgPathPointMoveTo:
                start = current = map(p.Point);
                break;
            case TvxPathPointKind::vgPathPointLineTo: {
                TvxPoint to = map(p.Point);
                cairo_move_to(m_cr, current.X, current.Y);
                cairo_line_to(m_cr, to.X, to.Y);
                current = to;
                break;
            }
            case TvxPathPointKind::vgPathPointCurveTo: {
                if (i + 2 >= points.size())
                    break;
                TvxPoint c1 = map(points[i].Point), c2 = map(points[i + 1].Point), to = map(points[i + 2].Point);
                cairo_move_to(m_cr, current.X, current.Y);
                cairo_curve_to(m_cr, c1.X, c1.Y, c2.X, c2.Y, to.X, to.Y);
                current = to;
                i += 2;
                break;
            }
            case TvxPathPointKind::vgPathPointClose:
                cairo_move_to(m_cr, current.X, current.Y);
                cairo_line_to(m_cr, start.X, start.Y);
                current = start;
                break;
            }
        }
        StrokeCurrentPath(bounds, opacity);
    }

    void DrawBitmap(const TvxBitmap& stated, const TvxRect& statedSource, const TvxRect& d, float opacity, bool highSpeed) override
    {
        if (!Ready() || stated.IsEmpty() || opacity <= 0 || statedSource.Width() <= 0 || statedSource.Height() <= 0
            || d.Width() == 0 || d.Height() == 0)
            return;
        // The source is given in the stated picture's pixels; a denser one drawn in
        // its place takes the same part of it.
        const TvxBitmap& bitmap = stated.ForDeviceScale(m_deviceScale);
        TvxRect s = statedSource;
        if (&bitmap != &stated) {
            const float kx = float(bitmap.Width()) / float(stated.Width()), ky = float(bitmap.Height()) / float(stated.Height());
            s = { s.Left * kx, s.Top * ky, s.Right * kx, s.Bottom * ky };
        }
        cairo_surface_t* surface = bitmap.Surface();
        SurfacePtr sub;
        TvxRect full { 0, 0, float(bitmap.Width()), float(bitmap.Height()) };
        if (!highSpeed && s == full && DrawScaledDown(bitmap, d, opacity))
            return;
        if (highSpeed && s == full && DrawOnPixelGrid(bitmap, d, opacity))
            return;
        TvxRect source = s;
        // A part of the bitmap is cut out so that edge sampling does not reach beyond it.
        if (s != full && s.Left >= 0 && s.Top >= 0 && s.Right <= full.Right && s.Bottom <= full.Bottom) {
            sub.reset(cairo_surface_create_for_rectangle(surface, s.Left, s.Top, s.Width(), s.Height()));
            surface = sub.get();
            source = { 0, 0, s.Width(), s.Height() };
        }
        PatternPtr pattern(cairo_pattern_create_for_surface(surface));
        cairo_pattern_set_filter(pattern.get(), highSpeed ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        cairo_matrix_t m;
        cairo_matrix_init_translate(&m, source.Left, source.Top);
        cairo_matrix_scale(&m, source.Width() / d.Width(), source.Height() / d.Height());
        cairo_matrix_translate(&m, -d.Left, -d.Top);
        cairo_pattern_set_matrix(pattern.get(), &m);
        cairo_save(m_cr);
        cairo_new_path(m_cr);
        cairo_rectangle(m_cr, d.Left, d.Top, d.Width(), d.Height());
        NoteDrawnPath();
        FillPathWithPicture(pattern.get(), opacity);
    }

    // A whole picture drawn at its own size with the fast filter, moved by a fraction
    // of a pixel (a panel sliding): each screen pixel takes the picture pixel nearest
    // its centre, so the picture lands whole pixels from where it is, and the
    // rectangle's part-covered edge pixels take its outer pixels. When those are
    // transparent, drawing it at that whole-pixel place gives the same pixels without
    // a coverage mask and a general-purpose fetch for every pixel.
    bool DrawOnPixelGrid(const TvxBitmap& bitmap, const TvxRect& d, float opacity)
    {
        cairo_matrix_t ctm;
        cairo_get_matrix(m_cr, &ctm);
        if (ctm.xx != 1 || ctm.yy != 1 || ctm.xy != 0 || ctm.yx != 0 || d.Width() != float(bitmap.Width())
            || d.Height() != float(bitmap.Height()) || !TransparentBorder(bitmap.Surface()))
            return false;
        double left = d.Left, top = d.Top;
        cairo_user_to_device(m_cr, &left, &top);
        // The offset as the sampling sees it (16.16 fixed point); a centre exactly
        // between two pixels takes the later one.
        auto wholePixels = [](double offset) { return std::floor(std::nearbyint(offset * 65536) / 65536 + 0.5); };
        left = wholePixels(left);
        top = wholePixels(top);
        cairo_save(m_cr);
        cairo_identity_matrix(m_cr);
        cairo_new_path(m_cr);
        cairo_rectangle(m_cr, left, top, bitmap.Width(), bitmap.Height());
        NoteDrawnPath();
        PatternPtr pattern(cairo_pattern_create_for_surface(bitmap.Surface()));
        cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
        cairo_matrix_t m;
        cairo_matrix_init_translate(&m, -left, -top);
        cairo_pattern_set_matrix(pattern.get(), &m);
        FillPathWithPicture(pattern.get(), opacity);
        return true;
    }

    // Fills the current path with a picture's pattern at the opacity, then ends the
    // drawing the caller saved the state for.
    void FillPathWithPicture(cairo_pattern_t* pattern, float opacity)
    {
        cairo_set_source(m_cr, pattern);
        if (opacity >= 1) {
            cairo_fill(m_cr);
        } else {
            cairo_clip(m_cr);
            cairo_paint_with_alpha(m_cr, opacity);
        }
        cairo_restore(m_cr);
        Drawn();
    }

    // A whole bitmap drawn smaller, upright: from its copy at the device size, so
    // the smooth filter's cost is paid once, not at every frame.
    bool DrawScaledDown(const TvxBitmap& bitmap, const TvxRect& d, float opacity)
    {
        cairo_matrix_t ctm;
        cairo_get_matrix(m_cr, &ctm);
        if (ctm.xy != 0 || ctm.yx != 0 || ctm.xx <= 0 || ctm.yy <= 0 || d.Width() <= 0 || d.Height() <= 0)
            return false;
        const double width = d.Width() * ctm.xx, height = d.Height() * ctm.yy;
        const int copyWidth = static_cast<int>(std::lround(width)), copyHeight = static_cast<int>(std::lround(height));
        if (copyWidth <= 0 || copyHeight <= 0 || copyWidth > bitmap.Width() || copyHeight > bitmap.Height()
            || (copyWidth == bitmap.Width() && copyHeight == bitmap.Height()))
            return false;
        cairo_surface_t* copy = bitmap.ScaledCopy(copyWidth, copyHeight);
        if (!copy)
            return false;
        cairo_save(m_cr);
        cairo_new_path(m_cr);
        cairo_rectangle(m_cr, d.Left, d.Top, d.Width(), d.Height());
        NoteDrawnPath();
        cairo_new_path(m_cr);
        double left = d.Left, top = d.Top;
        cairo_user_to_device(m_cr, &left, &top);
        cairo_identity_matrix(m_cr);
        PatternPtr pattern(cairo_pattern_create_for_surface(copy));
        cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, copyWidth / width, copyHeight / height);
        cairo_matrix_translate(&m, -left, -top);
        cairo_pattern_set_matrix(pattern.get(), &m);
        // Off the pixel grid, the rectangle's part-covered edges would take a coverage
        // mask and the general per-pixel way; those pixels sample only the copy's
        // outer pixels (the filter weighs a neighbour closer than 1/128 of a pixel
        // at nothing), so a copy with a transparent ring draws the same on whole pixels.
        constexpr double nearOne = 1.0 / 64;
        if (std::abs(copyWidth / width - 1) <= nearOne && std::abs(copyHeight / height - 1) <= nearOne && TransparentBorder(copy)) {
            const double x0 = std::floor(left), y0 = std::floor(top);
            cairo_rectangle(m_cr, x0, y0, std::ceil(left + width) - x0, std::ceil(top + height) - y0);
        } else {
            cairo_rectangle(m_cr, left, top, width, height);
        }
        FillPathWithPicture(pattern.get(), opacity);
        return true;
    }

    void DrawThumbnail(const TvxBitmap& bitmap, float width, float height) override
    {
        if (!m_target || bitmap.IsEmpty() || !Ready())
            return;
        float k = width / float(bitmap.Width());
        (void)height;
        cairo_save(m_cr);
        cairo_scale(m_cr, k, k);
        NoteDrawn(0, 0, bitmap.Width(), bitmap.Height());
        cairo_set_source_surface(m_cr, bitmap.Surface(), 0, 0);
        cairo_paint(m_cr);
        cairo_restore(m_cr);
        Drawn();
    }

    void FillPolygon(std::span<const TvxPoint> points, float opacity) override
    {
        TvxPathData path;
        PolygonPath(points, path);
        FillPath(path, path.Bounds(), opacity);
    }

    void DrawPolygon(std::span<const TvxPoint> points, float opacity) override
    {
        TvxPathData path;
        PolygonPath(points, path);
        DrawPath(path, path.Bounds(), opacity);
    }

    void FillText(const TvxRect& rect, const TvxRect&, std::string_view text, bool wordWrap, float opacity,
        TvxTextAlign horizontal, TvxTextAlign vertical) override
    {
        if (!Ready() || m_paint.fill.Style() == TvxBrushStyle::vgBrushNone || text.empty())
            return;
        // Text at full opacity is drawn at 0.99.
        float o = opacity == 1 ? 0.99f : opacity;
        bool fractional = m_paint.matrix.m11 != std::trunc(m_paint.matrix.m11) || m_paint.matrix.m22 != std::trunc(m_paint.matrix.m22);
        // Under a fractional scale, glyphs are antialiased in grey whatever the font asks.
        auto layout = m_text.Layout(m_cr, m_paint.font, rect, text, wordWrap, horizontal, fractional ? false : m_paint.font.ClearType());
        TvxPoint origin = LayoutOrigin(layout.get(), rect, wordWrap, horizontal, vertical);
        cairo_new_path(m_cr);
        PatternPtr pattern = FillPattern(rect, o);
        if (!pattern)
            return;
        PangoRectangle ink;
        pango_layout_get_pixel_extents(layout.get(), &ink, nullptr);
        // A pixel more each way for hinting and antialiasing.
        NoteDrawn(origin.X + ink.x - 1, origin.Y + ink.y - 1, origin.X + ink.x + ink.width + 1, origin.Y + ink.y + ink.height + 1);
        cairo_move_to(m_cr, origin.X, origin.Y);
        cairo_set_source(m_cr, pattern.get());
        pango_cairo_show_layout(m_cr, layout.get());
        Drawn();
    }

    void MeasureText(TvxRect& rect, const TvxRect&, std::string_view text, bool wordWrap, TvxTextAlign horizontal,
        TvxTextAlign vertical) override
    {
        if (!m_cr || text.empty()) {
            rect = { rect.Left, rect.Top, rect.Left, rect.Top };
            return;
        }
        auto layout = m_text.Layout(m_cr, m_paint.font, rect, text, wordWrap, horizontal, m_paint.font.ClearType());
        TvxPoint origin = LayoutOrigin(layout.get(), rect, wordWrap, horizontal, vertical);
        PangoRectangle ink, logical;
        pango_layout_get_extents(layout.get(), &ink, &logical);
        float left = origin.X + float(logical.x) / PANGO_SCALE;
        float top = origin.Y + float(logical.y) / PANGO_SCALE;
        rect = { left, top, left + float(logical.width) / PANGO_SCALE, top + float(logical.height) / PANGO_SCALE };
    }

    bool LoadFontFromStream(std::span<const std::uint8_t> stream) override { return LoadFontData(stream); }

    bool TextToPath(TvxPathData& path, const TvxRect& rect, std::string_view text, bool wordWrap, TvxTextAlign horizontal,
        TvxTextAlign vertical) override
    {
        path.Clear();
        if (!m_cr || text.empty())
            return false;
        auto layout = m_text.Layout(m_cr, m_paint.font, rect, text, wordWrap, horizontal, false);
        TvxPoint origin = LayoutOrigin(layout.get(), rect, wordWrap, horizontal, vertical);
        cairo_save(m_cr);
        cairo_identity_matrix(m_cr);
        cairo_new_path(m_cr);
        cairo_move_to(m_cr, origin.X, origin.Y);
        pango_cairo_layout_path(m_cr, layout.get());
        cairo_path_t* outline = cairo_copy_path(m_cr);
        cairo_new_path(m_cr);
        cairo_restore(m_cr);
        std::vector<TvxPathPoint> points;
        auto point = [&](TvxPathPointKind kind, const cairo_path_data_t& data) {
            points.push_back({ kind, { float(data.point.x), float(data.point.y) } });
        };
        for (int i = 0; outline && outline->status == CAIRO_STATUS_SUCCESS && i < outline->num_data; i += outline->data[i].header.length) {
            const cairo_path_data_t* data = &outline->data[i];
            switch (data->header.type) {
            case CAIRO_PATH_MOVE_TO:
                point(TvxPathPointKind::vgPathPointMoveTo, data[1]);
                break;
            case CAIRO_PATH_LINE_TO:
                point(TvxPathPointKind::vgPathPointLineTo, data[1]);
                break;
            case CAIRO_PATH_CURVE_TO:
                for (int k = 1; k <= 3; ++k)
                    point(TvxPathPointKind::vgPathPointCurveTo, data[k]);
                break;
            case CAIRO_PATH_CLOSE_PATH:
                points.push_back({ TvxPathPointKind::vgPathPointClose, {} });
                break;
            }
        }
        cairo_path_destroy(outline);
        path.SetPoints(std::move(points));
        return !path.IsEmpty();
    }

private:
    struct Saved {
        std::unique_ptr<PaintState> paint;
        bool degenerate { false };
        std::size_t depth { 0 };
    };

    // A clear buffer of the size at the device scale, and a context over it.
    void CreateBuffer()
    {
        m_context.reset();
        m_cr = nullptr;
        m_saves.clear();
        m_order.clear();
        m_resized = true;
        const int width = std::max(1, static_cast<int>(std::lround(m_width * double(m_deviceScale))));
        const int height = std::max(1, static_cast<int>(std::lround(m_height * double(m_deviceScale))));
        try {
            m_buffer.Create(width, height);
        } catch (const std::exception&) {
            m_width = m_height = 0;
            throw TvxCanvasError("Can't allocate the DIB handle");
        }
        CreateContext(m_buffer.Surface());
    }

    void CreateContext(cairo_surface_t* surface)
    {
        if (!surface)
            return;
        m_context.reset(cairo_create(surface));
        m_cr = m_context.get();
        cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_GOOD);
        Check();
        SetMatrix(m_paint.matrix);
    }

    // The pixels ClearRect and Clear write into.
    TvxBitmap* Pixels() { return m_buffered ? (m_buffer.IsEmpty() ? nullptr : &m_buffer) : m_target; }

    void Flush()
    {
        if (m_cr)
            cairo_surface_flush(cairo_get_target(m_cr));
    }

    bool Ready() const { return m_cr && !m_degenerate; }

    // Raises the context's sticky error, if any.
    void Check()
    {
        if (!m_cr)
            return;
        cairo_status_t status = cairo_status(m_cr);
        if (status == CAIRO_STATUS_SUCCESS)
            return;
        throw TvxCanvasError(std::string("canvas: ") + cairo_status_to_string(status));
    }

    // Notes what the next operation may touch: user-space extents, cut to the
    // clip, as device pixels.
    void NoteDrawn(double x1, double y1, double x2, double y2)
    {
        double clipX1, clipY1, clipX2, clipY2;
        cairo_clip_extents(m_cr, &clipX1, &clipY1, &clipX2, &clipY2);
        x1 = std::max(x1, clipX1);
        y1 = std::max(y1, clipY1);
        x2 = std::min(x2, clipX2);
        y2 = std::min(y2, clipY2);
        if (!(x1 < x2 && y1 < y2))
            return;
        double xs[4] = { x1, x2, x1, x2 };
        double ys[4] = { y1, y1, y2, y2 };
        for (int i = 0; i < 4; ++i)
            cairo_user_to_device(m_cr, &xs[i], &ys[i]);
        auto [left, right] = std::minmax({ xs[0], xs[1], xs[2], xs[3] });
        auto [top, bottom] = std::minmax({ ys[0], ys[1], ys[2], ys[3] });
        AddDrawnArea({ float(left), float(top), float(right), float(bottom) });
    }

    void NoteDrawnPath()
    {
        double x1, y1, x2, y2;
        cairo_path_extents(m_cr, &x1, &y1, &x2, &y2);
        NoteDrawn(x1, y1, x2, y2);
    }

    // After drawing: the error check, and the target bitmap's pixels are marked changed.
    void Drawn()
    {
        if (m_target)
            m_target->PixelsChanged();
        Check();
    }

    // Appends the path mapped from its bounds into rect; false when there is nothing to draw.
    bool AppendPath(const TvxPathData& path, const TvxRect& rect)
    {
        if (path.IsEmpty())
            return false;
        TvxRect bounds = path.Bounds();
        if (bounds.Width() * bounds.Height() == 0)
            return false;
        Mapper map { bounds, rect };
        cairo_new_path(m_cr);
        auto points = path.Points();
        bool open = false;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TvxPathPoint& p = points[i];
            TvxPoint q = map(p.Point);
            switch (p.Kind) {
            case TvxPathPointKind::vgPathPointMoveTo:
                cairo_move_to(m_cr, q.X, q.Y);
                open = true;
                break;
            case TvxPathPointKind::vgPathPointLineTo:
                if (open)
                    cairo_line_to(m_cr, q.X, q.Y);
                else
                    cairo_move_to(m_cr, q.X, q.Y);
                open = true;
                break;
            case TvxPathPointKind::vgPathPointCurveTo: {
                if (i + 2 >= points.size())
                    break;
                TvxPoint c2 = map(points[i + 1].Point), to = map(points[i + 2].Point);
                if (!open)
                    cairo_move_to(m_cr, q.X, q.Y);
                cairo_curve_to(m_cr, q.X, q.Y, c2.X, c2.Y, to.X, to.Y);
                open = true;
                i += 2;
                break;
            }
            case TvxPathPointKind::vgPathPointClose:
                if (open)
                    cairo_close_path(m_cr);
                break;
            }
        }
        return true;
    }

    void AppendFigure(const TvxRect& rect, float rx, float ry, TvxCorners corners, TvxCornerType type)
    {
        TvxPathData figure;
        BuildRectFigure(figure, rect, rx, ry, corners, type, kCornerControl);
        TvxRect bounds = figure.Bounds();
        if (bounds.Width() * bounds.Height() == 0)
            return;
        // The figure is already in place; map it onto itself.
        AppendPath(figure, bounds);
    }

    void AppendEllipse(const TvxRect& r)
    {
        cairo_new_path(m_cr);
        double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
        double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
        double kx = rx * kEllipseControl, ky = ry * kEllipseControl;
        cairo_move_to(m_cr, cx + rx, cy);
        cairo_curve_to(m_cr, cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
        cairo_curve_to(m_cr, cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
        cairo_curve_to(m_cr, cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
        cairo_curve_to(m_cr, cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
        cairo_close_path(m_cr);
    }

    static void PolygonPath(std::span<const TvxPoint> points, TvxPathData& path)
    {
        bool start = true;
        for (TvxPoint p : points) {
            if (p == kClosePolygon) {
                if (!start)
                    path.ClosePath();
                start = true;
                continue;
            }
            if (start)
                path.MoveTo(p);
            else
                path.LineTo(p);
            start = false;
        }
        if (!start)
            path.ClosePath();
    }

    PatternPtr FillPattern(const TvxRect& r, float opacity)
    {
        float alpha = 1;
        return BrushPattern(m_paint.fill, r, opacity, false, m_paint.strokeThickness, m_deviceScale, alpha);
    }

    void FillCurrentPath(const TvxRect& r, float opacity)
    {
        const TvxBrush& brush = ResolveBrush(m_paint.fill);
        if (brush.Style() == TvxBrushStyle::vgBrushVisual) {
            FillWithVisual(brush, r, opacity);
            return;
        }
        float alpha = 1;
        PatternPtr pattern = BrushPattern(m_paint.fill, r, opacity, false, m_paint.strokeThickness, m_deviceScale, alpha);
        if (!pattern) {
            cairo_new_path(m_cr);
            return;
        }
        NoteDrawnPath();
        cairo_set_source(m_cr, pattern.get());
        if (alpha >= 1) {
            cairo_fill(m_cr);
        } else {
            cairo_save(m_cr);
            cairo_clip(m_cr);
            cairo_paint_with_alpha(m_cr, alpha);
            cairo_restore(m_cr);
        }
        Drawn();
    }

    void FillWithVisual(const TvxBrush& brush, const TvxRect& r, float opacity)
    {
        TvxObject* visual = brush.Visual().VisualObject();
        if (!visual || !s_visualPainter) {
            cairo_new_path(m_cr);
            return;
        }
        TvxCanvasStateGuard state(*this);
        cairo_clip(m_cr);
        s_visualPainter(*this, *visual, r, opacity);
    }

    void StrokeCurrentPath(const TvxRect& r, float opacity)
    {
        float alpha = 1;
        PatternPtr pattern = BrushPattern(m_paint.stroke, r, opacity, true, m_paint.strokeThickness, m_deviceScale, alpha);
        if (!pattern) {
            cairo_new_path(m_cr);
            return;
        }
        cairo_set_line_width(m_cr, m_paint.strokeThickness);
        cairo_set_line_cap(m_cr, m_paint.strokeCap == TvxStrokeCap::vgCapRound ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
        switch (m_paint.strokeJoin) {
        case TvxStrokeJoin::vgJoinMiter:
            cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_MITER);
            break;
        case TvxStrokeJoin::vgJoinRound:
            cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);
            break;
        case TvxStrokeJoin::vgJoinBevel:
            cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_BEVEL);
            break;
        }
        std::vector<double> dashes;
        bool usable = false;
        for (float d : m_paint.dash) {
            dashes.push_back(std::max(0.0, double(d) * m_paint.strokeThickness));
            usable = usable || d > 0;
        }
        if (usable)
            cairo_set_dash(m_cr, dashes.data(), static_cast<int>(dashes.size()), double(m_paint.dashOffset) * m_paint.strokeThickness);
        else
            cairo_set_dash(m_cr, nullptr, 0, 0);
        double x1, y1, x2, y2;
        cairo_stroke_extents(m_cr, &x1, &y1, &x2, &y2);
        NoteDrawn(x1, y1, x2, y2);
        cairo_set_source(m_cr, pattern.get());
        if (alpha >= 1) {
            cairo_stroke(m_cr);
        } else {
            cairo_push_group(m_cr);
            cairo_stroke(m_cr);
            cairo_pop_group_to_source(m_cr);
            cairo_paint_with_alpha(m_cr, alpha);
        }
        Drawn();
    }

    TvxBitmap* m_target { nullptr };
    TvxBitmap m_buffer;
    ContextPtr m_context;
    cairo_t* m_cr { nullptr }; // m_context's, for brevity
    bool m_degenerate { false };
    TextLayouts m_text;
    std::vector<std::optional<Saved>> m_saves;
    std::vector<std::size_t> m_order;
};

}

std::unique_ptr<TvxCanvas> TvxCanvas::CreateBuffered(int width, int height)
{
    auto canvas = std::make_unique<TvxCanvasCairo>(nullptr);
    canvas->ResizeBuffer(width, height);
    return canvas;
}

std::unique_ptr<TvxCanvas> TvxCanvas::CreateForBitmap(TvxBitmap& bitmap)
{
    return std::make_unique<TvxCanvasCairo>(&bitmap);
}

}
