// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drawing surface every scene element paints on: the current paint state (matrix,
// fill and stroke brushes, stroke geometry, font) and fill and draw operations on
// rectangles with rounded or cut corners, ellipses, lines, paths, polygons, bitmaps and
// text, with clipping and save/restore slots. Opacity is not canvas state: every fill
// and draw takes the opacity to apply. TvxCanvasCairo is the one implementation; a
// canvas either owns an off-screen buffer (the scene's back buffer) or draws into a
// TvxBitmap.
//
// Back-end failures raise TvxCanvasError. Drawing with empty input does nothing.

#include "scene/core/Geometry.h"
#include "scene/core/TvxMatrix.h"
#include "scene/render/CanvasEnums.h"
#include "scene/render/Color.h"
#include "scene/render/TvxBrush.h"
#include "scene/render/TvxFont.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class TvxBitmap;
class TvxObject;
class TvxPathData;

class TvxCanvasError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TvxCanvas {
public:
    // A point of a polygon equal to this closes the current figure.
    static constexpr TvxPoint kClosePolygon { 65535, 65535 };

    virtual ~TvxCanvas();
    TvxCanvas(const TvxCanvas&) = delete;
    TvxCanvas& operator=(const TvxCanvas&) = delete;

    // A canvas with an off-screen buffer of that size (sizes ≤ 0 become 1).
    static std::unique_ptr<TvxCanvas> CreateBuffered(int width, int height);
    // A canvas drawing into the bitmap's pixels; the bitmap must outlive it.
    static std::unique_ptr<TvxCanvas> CreateForBitmap(TvxBitmap& bitmap);

    // Paints a visual object into a rectangle for vgBrushVisual fills; installed by the
    // visual-object library.
    using VisualPainter = void (*)(TvxCanvas& canvas, TvxObject& visual, const TvxRect& rect, float opacity);
    static void SetVisualPainter(VisualPainter painter);

    // The size in units; a buffered canvas's buffer holds DeviceScale() pixels a unit.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Buffered() const { return m_buffered; }
    // Pixels per unit of a buffered canvas's buffer (1 by default): everything is
    // drawn at that resolution, so a high-density screen gets sharp text and
    // shapes, not an enlarged picture. Setting another scale makes a new, clear
    // buffer; a canvas drawing into a bitmap keeps 1.
    float DeviceScale() const { return m_deviceScale; }
    virtual void SetDeviceScale(float scale) = 0;
    bool Resized() const { return m_resized; }
    void SetResized(bool value) { m_resized = value; }
    // The buffer of a buffered canvas (none otherwise).
    virtual TvxBitmap* Buffer() = 0;
    std::uint32_t* BufferBits();

    // Paint state.
    const TvxMatrix& Matrix() const { return m_paint.matrix; }
    TvxBrush& Fill() { return m_paint.fill; }
    TvxBrush& Stroke() { return m_paint.stroke; }
    float StrokeThickness() const { return m_paint.strokeThickness; }
    void SetStrokeThickness(float value) { m_paint.strokeThickness = value; }
    TvxStrokeCap StrokeCap() const { return m_paint.strokeCap; }
    void SetStrokeCap(TvxStrokeCap value) { m_paint.strokeCap = value; }
    TvxStrokeJoin StrokeJoin() const { return m_paint.strokeJoin; }
    void SetStrokeJoin(TvxStrokeJoin value) { m_paint.strokeJoin = value; }
    TvxStrokeDash StrokeDash() const { return m_paint.strokeDash; }
    // Resets the dash offset to 0, except vgDashCustom, which keeps the current pattern.
    void SetStrokeDash(TvxStrokeDash value);
    // Lengths in pen widths, dash first.
    const std::vector<float>& Dash() const { return m_paint.dash; }
    float DashOffset() const { return m_paint.dashOffset; }
    void SetCustomDash(std::vector<float> dash, float offset);
    TvxFont& Font() { return m_paint.font; }

    // Buffer.
    virtual void ResizeBuffer(int width, int height) = 0;
    virtual bool BeginScene() { return true; }
    virtual void EndScene() { }
    virtual void Clear(TvxColor color) = 0;
    // Writes the premultiplied colour into the pixels from (trunc(Left), trunc(Top)) to
    // (round(Right), round(Bottom)) of the rectangle in units times the device
    // scale, clamped; no blending, no transform.
    virtual void ClearRect(const TvxRect& rect, TvxColor color) = 0;

    // Transform and state.
    virtual void SetMatrix(const TvxMatrix& matrix) = 0;
    // Multiplies the back end's transform by matrix (applied first); Matrix() is unchanged.
    virtual void MultyMatrix(const TvxMatrix& matrix) = 0;
    // −1 when nothing can be saved. Restore in reverse order of saving; restoring an
    // earlier slot drops the later ones, restoring a free slot does nothing.
    virtual int SaveCanvas() = 0;
    virtual void RestoreCanvas(int state) = 0;

    // Clipping, in the current transform.
    virtual void SetClipRects(std::span<const TvxRect> rects) = 0;
    virtual void IntersectClipRect(const TvxRect& rect) = 0;
    virtual void ExcludeClipRect(const TvxRect& rect) = 0;
    virtual void ResetClipRect() = 0;

    // Drawing.
    virtual void DrawLine(TvxPoint p1, TvxPoint p2, float opacity) = 0;
    virtual void FillRect(const TvxRect& rect, float xRadius, float yRadius, TvxCorners corners, float opacity,
        TvxCornerType cornerType = TvxCornerType::vgCornerRound)
        = 0;
    virtual void DrawRect(const TvxRect& rect, float xRadius, float yRadius, TvxCorners corners, float opacity,
        TvxCornerType cornerType = TvxCornerType::vgCornerRound)
        = 0;
    virtual void FillEllipse(const TvxRect& rect, float opacity) = 0;
    virtual void DrawEllipse(const TvxRect& rect, float opacity) = 0;
    // The path mapped from its bounds into rect.
    virtual bool PtInPath(TvxPoint point, const TvxRect& rect, const TvxPathData& path) = 0;
    virtual void FillPath(const TvxPathData& path, const TvxRect& rect, float opacity) = 0;
    virtual void DrawPath(const TvxPathData& path, const TvxRect& rect, float opacity) = 0;
    virtual void DrawBitmap(const TvxBitmap& bitmap, const TvxRect& source, const TvxRect& destination, float opacity,
        bool highSpeed)
        = 0;
    virtual void DrawThumbnail(const TvxBitmap& bitmap, float width, float height) = 0;
    virtual void FillPolygon(std::span<const TvxPoint> points, float opacity) = 0;
    virtual void DrawPolygon(std::span<const TvxPoint> points, float opacity) = 0;
    // Text is UTF-8. The clip rectangle is not used.
    virtual void FillText(const TvxRect& rect, const TvxRect& clipRect, std::string_view text, bool wordWrap, float opacity,
        TvxTextAlign horizontal = TvxTextAlign::vgTextAlignCenter, TvxTextAlign vertical = TvxTextAlign::vgTextAlignCenter)
        = 0;
    // Replaces rect by the bounding rectangle of the laid-out text.
    virtual void MeasureText(TvxRect& rect, const TvxRect& clipRect, std::string_view text, bool wordWrap,
        TvxTextAlign horizontal, TvxTextAlign vertical)
        = 0;
    // The outlines of the laid-out text's glyphs, in the canvas's own units (the current
    // matrix is not applied), replacing path. False, with path empty, when nothing is drawn.
    virtual bool TextToPath(TvxPathData& path, const TvxRect& rect, std::string_view text, bool wordWrap,
        TvxTextAlign horizontal, TvxTextAlign vertical)
        = 0;

    // Adds the font file in stream (TrueType or OpenType) to the fonts text can name by
    // family, for the rest of the process. False when the stream holds no font.
    virtual bool LoadFontFromStream(std::span<const std::uint8_t> stream) = 0;

    // Built on the above.
    void FillArc(TvxPoint center, TvxPoint radius, float startAngle, float sweepAngle, float opacity);
    void DrawArc(TvxPoint center, TvxPoint radius, float startAngle, float sweepAngle, float opacity);
    // The outline of DrawRect with control offsets of half a radius, drawing only the
    // edges in sides.
    void DrawRectSides(const TvxRect& rect, float xRadius, float yRadius, TvxCorners corners, float opacity, TvxSides sides,
        TvxCornerType cornerType = TvxCornerType::vgCornerRound);
    float TextWidth(std::string_view text);

    // The bounds in whole units of what the drawing calls above touched since the
    // last call (cut to the clip); clears are not counted.
    TvxRect TakeDrawnArea();

protected:
    TvxCanvas();

    // What SaveCanvas keeps and RestoreCanvas puts back, besides the back end's state.
    struct PaintState {
        TvxMatrix matrix;
        TvxBrush fill { TvxBrushStyle::vgBrushSolid, 0xFFFFFFFF };
        TvxBrush stroke { TvxBrushStyle::vgBrushSolid, 0xFF000000 };
        float strokeThickness { 1 };
        TvxStrokeCap strokeCap { TvxStrokeCap::vgCapFlat };
        TvxStrokeJoin strokeJoin { TvxStrokeJoin::vgJoinMiter };
        TvxStrokeDash strokeDash { TvxStrokeDash::vgDashSolid };
        std::vector<float> dash;
        float dashOffset { 0 };
        TvxFont font;
        // Everything but the matrix, the brushes and the font through Assign.
        void CopyValuesFrom(const PaintState& other);
    };
    std::unique_ptr<PaintState> CopyPaintState() const;
    void RestorePaintState(const PaintState& state);

    // Adds user-space extents about to be drawn, already in device pixels.
    void AddDrawnArea(const TvxRect& deviceArea);

    static VisualPainter s_visualPainter;

    int m_width { 0 };
    int m_height { 0 };
    float m_deviceScale { 1 };
    PaintState m_paint;
    TvxRect m_drawn;
    bool m_resized { false };
    bool m_buffered { false };
};

// Saves the canvas state and restores it when the scope ends, also when an exception
// leaves the scope. A failed restore throws on the normal path; while an exception is
// already on its way out, the first error is the one that tells why.
class TvxCanvasStateGuard {
public:
    explicit TvxCanvasStateGuard(TvxCanvas& canvas)
        : m_canvas(canvas)
        , m_state(canvas.SaveCanvas())
        , m_exceptions(std::uncaught_exceptions())
    {
    }
    ~TvxCanvasStateGuard() noexcept(false)
    {
        if (std::uncaught_exceptions() == m_exceptions) {
            m_canvas.RestoreCanvas(m_state);
            return;
        }
        try {
            m_canvas.RestoreCanvas(m_state);
        } catch (...) {
        }
    }
    TvxCanvasStateGuard(const TvxCanvasStateGuard&) = delete;
    TvxCanvasStateGuard& operator=(const TvxCanvasStateGuard&) = delete;

private:
    TvxCanvas& m_canvas;
    int m_state;
    int m_exceptions;
};

}
