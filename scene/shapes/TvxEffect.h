// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A bitmap effect: a non-visual child of the visual object it decorates. When that object
// is painted, each enabled effect child gets the object (with its children) rendered into
// an off-screen bitmap, transforms it in ProcessEffect and has it drawn into GetRect,
// under the object (or over it with AfterPaint, or in its place with DisablePaint). The
// decorating object caches the image until something marks it stale (TvxVisualObject).

#include "scene/core/TvxObject.h"

#include <string>

namespace nimbrell {

class TvxVisualObject;

class TvxEffect : public TvxObject, public IEffectRole {
    NIMBRELL_CLASS(TvxEffect)
public:
    explicit TvxEffect(TvxComponent* owner);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    // Conditions on the state properties of the object whose state changed, such as
    // "IsFocused=true"; ApplyTrigger switches Enabled by them.
    const std::string& Trigger() const { return m_trigger; }
    void SetTrigger(std::string_view value) { m_trigger = std::string(value); }
    bool DisablePaint() const { return m_disablePaint; }
    void SetDisablePaint(bool value);
    bool AfterPaint() const { return m_afterPaint; }
    void SetAfterPaint(bool value);

    // IEffectRole. The base covers the object's rectangle and leaves the image as is.
    // When Trigger names the state and is met by the instance's enumeration properties,
    // Enabled follows the last condition compared (false when none was).
    void ApplyTrigger(TvxObject* instance, std::string_view trigger) override;
    bool EffectEnabled() const override { return m_enabled || m_forceEnabled; }
    bool EffectDisablesPaint() const override { return m_disablePaint; }
    bool EffectAfterPaint() const override { return m_afterPaint; }
    TvxRect GetRect(const TvxRect& rect) const override { return rect; }
    TvxPoint GetOffset() const override { return { 0, 0 }; }
    void ProcessEffect(TvxCanvas&, TvxBitmap&, float) override { }

    IEffectRole* AsEffect() override { return this; }
    void Loaded() override;

protected:
    // After any change of a value (setters go through UpdateField): the decorated
    // object's cache is stale and the object is repainted with the effect's area, even
    // when the effect was just switched off.
    void Changed() override;

private:
    TvxVisualObject* DecoratedObject() const;

    bool m_enabled { true };
    std::string m_trigger;
    bool m_disablePaint { false };
    bool m_afterPaint { false };
    bool m_forceEnabled { false };
};

}
