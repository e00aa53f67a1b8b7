// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The holder of the property a property animation writes: a dotted path relative to the
// animation's parent ("Fill.Color", "Position.y", "Parent.Opacity") resolved through the
// published-property tables. The target is forgotten when the scene object it lives in
// (the last scene object on the path) is destroyed, so it never dangles.

#include "scene/core/TvxObjectReference.h"

#include <string>
#include <string_view>

namespace nimbrell {

class PropertyInfo;
class TvxObject;
class TvxPersistent;

class AnimationTarget {
public:
    AnimationTarget();

    bool Resolved() const { return m_holder != nullptr; }
    // Every segment but the last that names an object property of the current holder moves
    // to that object; other segments are dropped. The last is the property name.
    void Resolve(TvxObject& parent, std::string_view path);
    void Forget();

    TvxPersistent* Holder() const { return m_holder; }
    const std::string& PropertyName() const { return m_name; }
    // The final property when the holder has one of that kind.
    const PropertyInfo* Property(PropertyKind kind) const;

private:
    TvxPersistent* m_holder { nullptr };
    std::string m_name;
    TvxObjectReference m_owner;
};

}
