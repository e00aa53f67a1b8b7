// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The services the host scene (the scene host window) offers the objects of its tree,
// reached through TvxObject::Scene().

#include "scene/core/Geometry.h"
#include "scene/core/TvxComponent.h"

#include <string_view>

namespace nimbrell {

class TvxCanvas;
class TvxObject;
class TvxResources;
class TvxVisualObject;

// Whether the animation clock is armed, so that another frame follows shortly: set by
// the clock, read by a scene after its frame to let go of memory only a run of frames
// uses.
inline bool& AnimationClockArmed()
{
    static bool armed = false;
    return armed;
}

class ISceneHost {
public:
    virtual ~ISceneHost() = default;

    // Makes the object a root of the scene / removes a root.
    virtual void AddObject(TvxObject* object) = 0;
    virtual void RemoveObject(TvxObject* object) = 0;
    // Start moving / resizing the host window with the mouse.
    virtual void BeginDrag() = 0;
    virtual void BeginResize() = 0;
    // Marks a rectangle in scene coordinates for repainting.
    virtual void AddUpdateRect(const TvxRect& rect) = 0;
    // Design-time insertion; not used at run time.
    virtual TvxObject* InsertObject(std::string_view className) = 0;
    virtual TvxObject* ActiveControl() const = 0;
    // True while the scene suppresses repaint requests.
    virtual bool DisableUpdate() const = 0;
    virtual void SetDisableUpdate(bool value) = 0;
    virtual bool DesignTime() const = 0;
    virtual TvxCanvas* Canvas() const = 0;
    // The first root object.
    virtual TvxObject* Root() const = 0;
    // The component that owns the scene window, and the scene window itself.
    virtual TvxComponent* Owner() const = 0;
    virtual TvxComponent* Component() const = 0;
    virtual TvxResources* Style() const = 0;
    virtual void SetStyle(TvxResources* style) = 0;
    // True for a per-pixel transparent (layered) window.
    virtual bool Transparency() const = 0;
    // Re-applies styles to the whole tree.
    virtual void UpdateResource() = 0;
    // Told that an object is being freed: only the top of a freed subtree is told, while
    // its subtree is still whole, so a host drops anything it holds inside that subtree.
    virtual void Notification(TvxComponent& component, ComponentOperation operation) = 0;
    virtual TvxObject* Selected() const = 0;
    virtual TvxObject* DesignInsertionObject() const = 0;
    virtual int UpdateRectCount() const = 0;
    virtual TvxRect UpdateRect(int index) const = 0;
    // While a frame is painted, a number no other frame of this host had; 0 between
    // frames. What objects work out from the tree for one frame holds for all of it.
    virtual int PaintingFrame() const { return 0; }
    // Routes all mouse input to the object.
    virtual void SetCaptured(TvxVisualObject* object) = 0;
    virtual TvxVisualObject* Captured() const = 0;
    // Moves keyboard focus.
    virtual void SetFocused(TvxVisualObject* object) = 0;
    virtual TvxVisualObject* Focused() const = 0;
    virtual void SetDesignRoot(TvxObject* object) = 0;
    // Last mouse position in scene coordinates.
    virtual TvxPoint MousePos() const = 0;
    // Scene coordinates to screen pixels, each coordinate rounded.
    virtual TvxPoint LocalToScreen(const TvxPoint& point) const = 0;
    // Starts dragging a scene object onto the other objects of the scene.
    virtual void BeginPlatformDrag(TvxObject* object) = 0;
    virtual void SetSelected(TvxObject* object) = 0;
    // The window hosting the scene takes a button's modal result (0: none).
    virtual void SetFormModalResult(int) { }
    // Asks the window hosting the scene to close, as its own close command does, once the
    // input being handled is done.
    virtual void CloseForm() { }
    // Where the input method shows its composition window: the caret's
    // rectangle in scene coordinates.
    virtual void SetInputMethodCaret(const TvxRect&) { }
};

}
