// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The base of everything that occupies space in a scene: a rectangle (0, 0, Width,
// Height) placed in the parent's space by a local transform (position, scale, rotation
// about a centre), an opacity multiplied down the tree, visibility, enablement, hit
// testing and clipping. It lays out its children by their alignment, margins and
// paddings, turns every visible change into a repaint request for the scene, paints its
// children in order and receives mouse, keyboard and focus notifications from the scene
// host, in coordinates local to the object.
//
// Visual objects paint through the canvas, so they live in the library above
// scene/render (nimbrell_scene_visual).

#include "scene/core/TvxBounds.h"
#include "scene/core/TvxEvent.h"
#include "scene/core/TvxMatrix.h"
#include "scene/core/TvxObject.h"
#include "scene/core/TvxObjectReference.h"
#include "scene/core/TvxPosition.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nimbrell {

class TvxBitmap;
class TvxCanvas;
class TvxPopupMenu;

enum class TvxAlign {
    vaNone,
    vaTopLeft,
    vaTopRight,
    vaBottomLeft,
    vaBottomRight,
    vaTop,
    vaLeft,
    vaRight,
    vaBottom,
    vaMostTop,
    vaMostBottom,
    vaMostLeft,
    vaMostRight,
    vaClient,
    vaContents,
    vaCenter,
    vaVertCenter,
    vaHorzCenter,
    vaHorizontal,
    vaVertical,
    vaScale,
    vaFit,
    vaFitLeft,
    vaFitRight
};

enum class TvxMouseButton {
    mbLeft,
    mbRight,
    mbMiddle
};

// Whether a left press on the object starts dragging it to another object.
enum class TvxDragMode {
    dmManual,
    dmAutomatic
};

// Shift state bits of input notifications.
using TvxShiftState = std::uint32_t;
inline constexpr TvxShiftState kShiftKey = 1;
inline constexpr TvxShiftState kAltKey = 2;
inline constexpr TvxShiftState kCtrlKey = 4;
inline constexpr TvxShiftState kLeftButton = 8;
inline constexpr TvxShiftState kRightButton = 16;
inline constexpr TvxShiftState kMiddleButton = 32;
inline constexpr TvxShiftState kDoubleClick = 64;

inline constexpr int kContextMenuKey = 93;

using TvxNotifyEvent = TvxEvent<TvxObject*>;
using TvxMouseEvent = TvxEvent<TvxObject*, TvxMouseButton, TvxShiftState, float, float>;
using TvxMouseMoveEvent = TvxEvent<TvxObject*, TvxShiftState, float, float>;
using TvxMouseWheelEvent = TvxEvent<TvxObject*, TvxShiftState, int, TvxPoint, bool&>;
using TvxKeyEvent = TvxEvent<TvxObject*, int&, char32_t&, TvxShiftState>;
using TvxCanFocusEvent = TvxEvent<TvxObject*, bool&>;
using TvxPaintEvent = TvxEvent<TvxObject*, TvxCanvas*, TvxRect>;

// What a drag between objects carries: the object being dragged.
struct TvxDragObject {
    TvxObject* Source { nullptr };
};
// Drag notifications carry the pointer in the receiver's local coordinates.
using TvxDragEnterEvent = TvxEvent<TvxObject*, const TvxDragObject&, TvxPoint>;
// The handler sets accept when a drop here would be taken.
using TvxDragOverEvent = TvxEvent<TvxObject*, const TvxDragObject&, TvxPoint, bool&>;
using TvxDragDropEvent = TvxEvent<TvxObject*, const TvxDragObject&, TvxPoint>;

class TvxVisualObject;

// What follows a real change of a visual object's value, besides storing it. Several
// combine with |; they run in the order listed.
enum class TvxChange : std::uint8_t {
    None = 0,
    Matrix = 1,         // the local and absolute matrices are recomputed (MatrixChanged)
    Enablement = 2,     // the absolute enabled state below is recomputed
    Opacity = 4,        // the absolute opacities below are recomputed
    UpdateArea = 8,     // the update rectangles are recomputed
    EffectsStale = 16,  // the effect images of the object and its ancestors render again
    Realign = 32,       // the object lays its children out again
    RepaintParent = 64, // the parent is painted again
    Repaint = 128,      // the object is painted again
};
constexpr TvxChange operator|(TvxChange a, TvxChange b)
{
    return static_cast<TvxChange>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool operator&(TvxChange set, TvxChange one)
{
    return (static_cast<std::uint8_t>(set) & static_cast<std::uint8_t>(one)) != 0;
}

// How TvxVisualObject::PaintObject runs the paint sequence. The defaults paint a child.
struct TvxPaintOptions {
    // The parent whose clip rectangle bounds the object (effects drawn over the object
    // are not bounded by it), or none.
    TvxVisualObject* clipTo { nullptr };
    // Effects under, over or in place of the object.
    bool effects { true };
    // ClipParent holes, the object's own ClipChildren clip and OnBeforePaint around Paint.
    bool framedPaint { true };
    // PostPaint after the children; otherwise right after Paint.
    bool postPaintLast { true };
    // OnPaint after the children.
    bool paintEvent { true };
};

// A root of the scene: its own steps, then its children, then OnPaint.
inline constexpr TvxPaintOptions kPaintAsRoot { .effects = false, .framedPaint = false, .postPaintLast = false };
// A subtree painted into another canvas (PaintTo).
inline constexpr TvxPaintOptions kPaintIntoTarget { .effects = false, .framedPaint = false, .postPaintLast = false, .paintEvent = false };

class TvxVisualObject : public TvxObject {
    NIMBRELL_CLASS(TvxVisualObject)
public:
    explicit TvxVisualObject(TvxComponent* owner);
    ~TvxVisualObject() override;

    // Size and place.
    float Width() const { return m_width; }
    virtual void SetWidth(float value);
    float Height() const { return m_height; }
    virtual void SetHeight(float value);
    TvxPosition& Position() { return m_position; }
    const TvxPosition& Position() const { return m_position; }
    TvxPosition& Scale() { return m_scale; }
    const TvxPosition& Scale() const { return m_scale; }
    TvxPosition& RotateCenter() { return m_rotateCenter; }
    const TvxPosition& RotateCenter() const { return m_rotateCenter; }
    TvxPosition& Skew() { return m_skew; }
    float RotateAngle() const { return m_rotateAngle; }
    // Reduced to (−180, 360): r = a − trunc(a / 360) × 360, plus 360 when r < −180.
    void SetRotateAngle(float value);
    TvxBounds& Margins() { return m_margins; }
    const TvxBounds& Margins() const { return m_margins; }
    TvxBounds& Padding() { return m_padding; }
    const TvxBounds& Padding() const { return m_padding; }
    TvxAlign Align() const { return m_align; }
    virtual void SetAlign(TvxAlign value);
    virtual void SetBounds(float x, float y, float width, float height);
    // Size and last size, with no other effect.
    void SetSizeWithoutChange(float width, float height);
    float LastWidth() const { return m_lastWidth; }
    float LastHeight() const { return m_lastHeight; }

    // State.
    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool Locked() const { return m_locked; }
    void SetLocked(bool value) { m_locked = value; }
    // Locked on the object and every visual descendant.
    void Lock();
    bool DesignHide() const { return m_designHide; }
    void SetDesignHide(bool value) { m_designHide = value; }
    float Opacity() const { return m_opacity; }
    void SetOpacity(float value);
    bool HitTest() const { return m_hitTest; }
    void SetHitTest(bool value) { m_hitTest = value; }
    bool ClipChildren() const { return m_clipChildren; }
    void SetClipChildren(bool value);
    bool ClipParent() const { return m_clipParent; }
    void SetClipParent(bool value);
    bool CanClipped() const { return m_canClipped; }
    void SetCanClipped(bool value) { m_canClipped = value; }
    bool AutoCapture() const { return m_autoCapture; }
    void SetAutoCapture(bool value) { m_autoCapture = value; }
    bool CanFocused() const { return m_canFocused; }
    void SetCanFocused(bool value) { m_canFocused = value; }
    bool DisableFocusEffect() const { return m_disableFocusEffect; }
    void SetDisableFocusEffect(bool value) { m_disableFocusEffect = value; }
    // Focus effects of every object are off while the global switch is set.
    static bool GlobalDisableFocusEffect();
    static void SetGlobalDisableFocusEffect(bool value);
    // Neither the object's nor the global switch turns focus effects off.
    bool FocusEffectEnabled() const;
    bool DisableDefaultAlign() const { return m_disableDefaultAlign; }
    void SetDisableDefaultAlign(bool value) { m_disableDefaultAlign = value; }
    // Opened at the mouse by a right press on the object, or by the context-menu key.
    TvxPopupMenu* PopupMenu() const;
    void SetPopupMenu(TvxPopupMenu* menu);
    int Cursor() const { return m_cursor; }
    void SetCursor(int value) { m_cursor = static_cast<std::int16_t>(value); }
    const std::string& Hint() const { return m_hint; }
    void SetHint(std::string_view value) { m_hint = std::string(value); }
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value) { m_showHint = value; }
    TvxDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(TvxDragMode value) { m_dragMode = value; }
    // The object is not outlined while something is dragged over it.
    bool DragDisableHighlight() const { return m_dragDisableHighlight; }
    void SetDragDisableHighlight(bool value);
    bool IsDragOver() const { return m_isDragOver; }
    // Kept for stored designs; nothing reads it.
    TvxPosition& Velocity() { return m_velocity; }
    int TabOrder() const { return m_tabOrder; }
    void SetTabOrder(int value) { m_tabOrder = value; }
    const std::vector<TvxVisualObject*>& TabList() const { return m_tabList; }
    bool IsMouseOver() const { return m_isMouseOver; }
    bool IsFocused() const { return m_isFocused; }
    bool IsVisible() const { return m_visible; }
    bool InPaintTo() const { return m_inPaintTo; }
    TvxCanvas* TemporaryCanvas() const { return m_tempCanvas; }

    // Derived geometry.
    virtual const TvxMatrix& AbsoluteMatrix();
    const TvxMatrix& LocalMatrix() const { return m_localMatrix; }
    TvxMatrix InvertAbsoluteMatrix() { return AbsoluteMatrix().Inverse(); }
    virtual TvxMatrix ChildrenMatrix() { return TvxMatrix::Identity(); }
    virtual float AbsoluteOpacity();
    virtual bool AbsoluteEnabled();
    virtual TvxPoint AbsoluteScale();
    float AbsoluteWidth();
    float AbsoluteHeight();
    virtual TvxRect LocalRect() const { return { 0, 0, m_width, m_height }; }
    virtual TvxRect AbsoluteRect();
    virtual TvxRect UpdateRect();
    virtual TvxRect BoundsRect() const { return LocalRect(); }
    virtual void SetBoundsRect(const TvxRect& rect);
    virtual TvxRect ParentedRect() const;
    virtual TvxRect ClipRect() const { return { 0, 0, m_width, m_height }; }
    // The local rectangle and the areas of the enabled effects.
    virtual TvxRect EffectRect();
    // Effects call these when a value of theirs changes. EffectChanged marks the cache
    // stale and repaints the object with the effect's area.
    void RecalcHasEffects();
    void EffectChanged();
    bool EffectsStale() const { return m_updateEffects; }
    // The cached image of an effect child; none before it was first rendered.
    const TvxBitmap* EffectBitmap(TvxObject* effect) const;
    // The temporary canvas when set, otherwise the scene's.
    TvxCanvas* Canvas() const;
    TvxVisualObject* VisualParent() const;

    // Coordinates.
    virtual TvxPoint AbsoluteToLocal(TvxPoint point);
    virtual TvxPoint LocalToAbsolute(TvxPoint point);
    virtual TvxPoint AbsoluteToLocalVector(TvxPoint vector);
    virtual TvxPoint LocalToAbsoluteVector(TvxPoint vector);
    // Scene coordinates; both edges excluded.
    virtual bool PointInObject(float x, float y);
    // The deepest object hit at the scene point, or none.
    virtual TvxVisualObject* ObjectByPoint(float x, float y);

    // Repaint and layout.
    void Repaint();
    virtual void Realign();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int Updating() const { return m_updating; }
    void RecalcUpdateRect();
    // This object's area and that of the ancestors including it, not the children's.
    void MarkOwnUpdateRectStale();
    virtual void RecalcOpacity();
    virtual void RecalcAbsoluteMatrix();
    void RecalcEnabled();
    virtual void MatrixChanged();

    // Painting: the one paint sequence, with the canvas matrix set to the object's
    // absolute matrix; the canvas state it changes is restored, also on an exception.
    void PaintObject(TvxCanvas& canvas, const TvxPaintOptions& options = {});
    // Paints the children with this object's canvas.
    virtual void PaintChildren();
    virtual void ApplyResource() { }
    // Paints the subtree into canvas at rect, as if it were parent's child there. Without a
    // parent, rect is taken in the space base maps to the canvas (none: the canvas's own).
    void PaintTo(TvxCanvas* canvas, const TvxRect& rect, TvxObject* parent = nullptr, const TvxMatrix* base = nullptr);

    // Input, called by the scene host with local coordinates.
    virtual void MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y);
    virtual void MouseMove(TvxShiftState shift, float x, float y);
    virtual void MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y);
    virtual void MouseWheel(TvxShiftState shift, int delta, bool& handled);
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMouseEnter();
    virtual void MouseLeave();
    virtual void KeyDown(int& key, char32_t& keyChar, TvxShiftState shift);
    virtual void KeyUp(int& key, char32_t& keyChar, TvxShiftState shift);
    virtual void DialogKey(int& key, TvxShiftState shift);
    // Shows the object's context menu at a screen point: its popup menu, when one is set.
    virtual void ContextMenu(TvxPoint screenPoint);
    virtual bool ChildFocused(TvxVisualObject* child);
    virtual void DoEnterFocus();
    virtual void DoKillFocus();
    void SetFocus();
    // Drag and drop between objects. BeginAutoDrag starts dragging this object (a
    // press on an object whose DragMode is automatic does it); the scene then tells the
    // objects under the pointer, and the source when the drag ends, dropped or not.
    virtual void BeginAutoDrag();
    virtual void DragEnter(const TvxDragObject& data, TvxPoint point);
    virtual void DragOver(const TvxDragObject& data, TvxPoint point, bool& accept);
    virtual void DragDrop(const TvxDragObject& data, TvxPoint point);
    virtual void DragLeave();
    virtual void DragEnd();
    // The image a drag of this object shows at the pointer: the object as painted,
    // scaled down to fit 512 × 512. None when the object has no area or no scene.
    std::unique_ptr<TvxBitmap> MakeDragImage();
    // A state property (IsMouseOver, IsFocused, IsVisible, IsPressed, IsChecked,
    // IsSelected, IsOpen) of this object changed: starts the trigger animations below it
    // and, for the states that drive effects, applies the effects' triggers.
    void StateChanged(std::string_view state);

    // Events.
    TvxMouseEvent OnMouseDown;
    TvxMouseEvent OnMouseUp;
    TvxMouseMoveEvent OnMouseMove;
    TvxMouseWheelEvent OnMouseWheel;
    TvxNotifyEvent OnClick;
    TvxNotifyEvent OnDblClick;
    TvxNotifyEvent OnMouseEnter;
    TvxNotifyEvent OnMouseLeave;
    TvxKeyEvent OnKeyDown;
    TvxKeyEvent OnKeyUp;
    TvxCanFocusEvent OnCanFocused;
    TvxNotifyEvent OnEnterFocus;
    TvxNotifyEvent OnKillFocus;
    TvxPaintEvent OnPaint;
    TvxPaintEvent OnBeforePaint;
    TvxNotifyEvent OnApplyResource;
    TvxDragEnterEvent OnDragEnter;
    TvxNotifyEvent OnDragLeave;
    TvxDragOverEvent OnDragOver;
    TvxDragDropEvent OnDragDrop;
    TvxNotifyEvent OnDragEnd;

    // TvxObject.
    void SetScene(ISceneHost* scene) override;
    void AddObject(TvxObject* object) override;
    void RemoveObject(TvxObject* object) override;
    void DeleteChildren() override;
    void Loaded() override;
    // Locked and not hit-testable: an inner part of a style template.
    bool IsTemplatePart() const override { return m_locked && !m_hitTest; }
    // A press on it resizes the scene's window instead of reaching the object.
    virtual bool IsResizeGrip() const { return false; }

protected:
    // The one path for a published value: compare, store, then what follows (nothing
    // when the value is the same). Returns whether it changed.
    template<typename T, typename U>
    bool UpdateField(T& field, U&& value, TvxChange follows)
    {
        if (field == value)
            return false;
        field = std::forward<U>(value);
        ApplyChange(follows);
        return true;
    }
    using TvxObject::UpdateField;
    // What follows a change made by hand.
    void ApplyChange(TvxChange follows);

    // The steps of the paint sequence a class fills in.
    virtual void PrePaint() { }
    virtual void Paint() { }
    virtual void PostPaint() { }
    // Realigns the parent (a layout of the parent's children).
    void RealignParent();
    virtual void MarginsChanged();
    virtual void PaddingChanged();
    // Effects (scene/shapes) are children with an effect role; these hooks find them
    // among the children. At least one child is an enabled effect.
    virtual bool HasEffects() const { return m_hasEffects; }
    // Effect caches of this object and its visual ancestors with effects are stale.
    virtual void UpdateEffects();
    // Draws the object's effects with the canvas set up for the object: re-renders the
    // cached effect image when stale, otherwise draws the cache.
    virtual void ApplyEffects(TvxCanvas& canvas);
    // The effects go over the object instead of under it.
    virtual bool EffectsDrawAfter() const;
    // An effect is drawn in place of the object, its children included.
    virtual bool EffectReplacesObject() const;
    bool IsLoading() const { return HasState(ComponentState::Loading); }
    bool AlignDisabled() const { return m_disableAlign; }
    void SetAlignDisabled(bool value) { m_disableAlign = value; }
    void BeforeDestruction() override;
    void ChildrenReordered() override;

private:
    template<typename Action>
    void ForEachVisualChild(Action action)
    {
        for (TvxObject* child : Children()) {
            if (TvxVisualObject* visual = child->Visual())
                action(*visual);
        }
    }
    // Width or height: repaints the old area, stores, and has the layout follow.
    void SetSide(float& side, float value);
    // Adds delta to the update nesting of the object and its visual descendants.
    void ShiftUpdating(int delta);
    void SetInPaintTo(bool value);
    // The effect images are to render again at this device scale.
    bool EffectImagesStale(float deviceScale) const;
    void RenderEffectImages(float deviceScale);
    // Renders again the stale effect images of the visible descendants, the deepest
    // first, as each shows in the images of those above it.
    void RenderStaleEffectsBelow(float deviceScale);
    void SetTemporaryCanvas(TvxCanvas* canvas);
    void RestoreCaches();
    bool UpdateRectMeetsScene();
    // The object's area with its children's, kept for the frame being painted.
    TvxRect PaintArea();
    void PaintChild(TvxVisualObject& child, TvxCanvas& canvas);
    // ClipParent holes, the own clip, OnBeforePaint and Paint.
    void PaintFramed(TvxCanvas& canvas);
    // The outline over an object that something is dragged over.
    void PaintDragHighlight(TvxCanvas& canvas);
    void SetDragOver(bool value);
    void PlaceChild(TvxVisualObject& child, TvxRect& remaining);
    bool HasAncestorHidden() const;
    TvxVisualObject* RootOfScene() const;

    float m_width { 50 };
    float m_height { 50 };
    float m_lastWidth { 50 };
    float m_lastHeight { 50 };
    TvxPosition m_position { { 0, 0 } };
    TvxPosition m_scale { { 1, 1 } };
    TvxPosition m_skew { { 0, 0 } };
    TvxPosition m_rotateCenter { { 0.5f, 0.5f } };
    TvxBounds m_margins;
    TvxBounds m_padding;
    float m_rotateAngle { 0 };
    TvxAlign m_align { TvxAlign::vaNone };
    bool m_disableDefaultAlign { false };
    bool m_visible { true };
    bool m_enabled { true };
    bool m_absoluteEnabled { true };
    bool m_recalcEnabled { true };
    bool m_locked { false };
    bool m_designHide { false };
    bool m_hitTest { true };
    bool m_clipChildren { false };
    bool m_clipParent { false };
    bool m_canClipped { true };
    bool m_autoCapture { false };
    bool m_canFocused { false };
    bool m_disableFocusEffect { false };
    bool m_isMouseOver { false };
    bool m_isFocused { false };
    bool m_showHint { false };
    TvxDragMode m_dragMode { TvxDragMode::dmManual };
    bool m_dragDisableHighlight { false };
    bool m_isDragOver { false };
    TvxPosition m_velocity { { 0, 0 } };
    std::int16_t m_cursor { 0 };
    TvxObjectReference m_popupMenu;
    std::string m_hint;
    int m_tabOrder { -1 };
    std::vector<TvxVisualObject*> m_tabList;
    bool m_needAlign { false };
    TvxMatrix m_localMatrix;
    TvxMatrix m_absoluteMatrix;
    bool m_recalcAbsolute { true };
    float m_opacity { 1 };
    float m_absoluteOpacity { 1 };
    bool m_recalcOpacity { true };
    bool m_inPaintTo { false };
    // While painting into another canvas without a parent: the space the object sits in.
    std::optional<TvxMatrix> m_paintToBase;
    TvxRect m_updateRect;
    bool m_recalcUpdateRect { true };
    TvxRect m_paintArea;
    const ISceneHost* m_paintAreaScene { nullptr };
    int m_paintAreaFrame { 0 };
    bool m_hasEffects { false };
    bool m_updateEffects { false };
    // One image per effect child, so different effects on one object redraw from the
    // cache as they were rendered. The keys are only compared, never followed.
    struct EffectImage {
        const IEffectRole* effect;
        std::unique_ptr<TvxBitmap> bitmap;
    };
    std::vector<EffectImage> m_effectImages;
    // The canvas's device scale the images were rendered at.
    float m_effectDeviceScale { 1 };
    TvxCanvas* m_tempCanvas { nullptr };
    bool m_pressed { false };
    bool m_doubleClick { false };
    int m_updating { 0 };
    bool m_disableAlign { false };
};

}

NIMBRELL_ENUM(nimbrell::TvxDragMode, "dmManual", "dmAutomatic")

NIMBRELL_ENUM(nimbrell::TvxAlign, "vaNone", "vaTopLeft", "vaTopRight", "vaBottomLeft", "vaBottomRight", "vaTop", "vaLeft",
    "vaRight", "vaBottom", "vaMostTop", "vaMostBottom", "vaMostLeft", "vaMostRight", "vaClient", "vaContents", "vaCenter",
    "vaVertCenter", "vaHorzCenter", "vaHorizontal", "vaVertical", "vaScale", "vaFit", "vaFitLeft", "vaFitRight")
