// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The base of every styled control. A control draws nothing itself: it takes its look
// from a style, a named subtree of a style sheet that is cloned into the control as its
// first child (the style clone), and finds its working parts in the clone by name. The
// style is applied lazily, just before the first paint or on the first focus, and again
// whenever Resource changes or the scene restyles.

#include "scene/visual/TvxVisualObject.h"

#include <string>
#include <string_view>

namespace nimbrell {

class TvxControl : public TvxVisualObject {
    NIMBRELL_CLASS(TvxControl)
public:
    explicit TvxControl(TvxComponent* owner);

    // The name of the style to use; empty: derived from the class name
    // ("TvxButton" → "Buttonstyle", compared without regard to case).
    const std::string& Resource() const { return m_resource; }
    void SetResource(std::string_view value);
    // The applied style clone, or none.
    TvxVisualObject* StyleClone() const { return m_styleClone; }
    bool NeedsStyle() const { return m_needStyle; }

    // The sheet object the style lookup finds for this control (not yet cloned), or none.
    // clearName tells whether the clone's ResourceName is cleared (a style named by
    // Resource and found in a scene sheet, the loaded default sheet or the registry).
    struct StyleSource {
        TvxObject* object { nullptr };
        bool clearName { false };
    };
    StyleSource FindStyle();

    // The style clone first, then the control's own children.
    TvxObject* FindResource(std::string_view name) override;
    void UpdateResource() override;
    void ApplyResource() override;
    bool IsStyledControl() const override { return true; }
    void RemoveObject(TvxObject* object) override;

protected:
    // The style clone is in place (bind its parts) / about to be freed (unbind them).
    virtual void ResourceApplied();
    virtual void ResourceReleasing() { }
    // A part of the style clone of that class, or none.
    template<typename T>
    T* StylePart(std::string_view name)
    {
        return m_styleClone ? dynamic_cast<T*>(m_styleClone->FindResource(name)) : nullptr;
    }

    void PrePaint() override;
    void DoEnterFocus() override;

private:
    // The object the lookup found last time: a nested control whose lookup finds a
    // style one of its ancestors applied is inside a cycle and gets none.
    const TvxObject* m_appliedSource { nullptr };
    TvxVisualObject* m_styleClone { nullptr };
    bool m_needStyle { true };
    std::string m_resource;
};

}
