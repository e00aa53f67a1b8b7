// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The base of everything with a published-property table: scene objects and the
// passive records they own (positions, bounds, brushes, fonts).

#include "scene/core/PropertyTable.h"

namespace nimbrell {

class TvxFiler;

class TvxPersistent {
public:
    virtual ~TvxPersistent() = default;

    TvxPersistent() = default;
    TvxPersistent(const TvxPersistent&) = delete;
    TvxPersistent& operator=(const TvxPersistent&) = delete;

    static const ClassInfo& StaticClass();
    virtual const ClassInfo& Class() const { return StaticClass(); }

    // Custom stream properties: the class calls filer.Define...() for each one.
    virtual void DefineProperties(TvxFiler&) { }

    // Copies the published state of source; throws std::invalid_argument when the
    // classes do not match.
    virtual void Assign(const TvxPersistent& source);

protected:
    // The error of Assign from a record of another class.
    [[noreturn]] void ThrowAssignMismatch(const TvxPersistent& source) const;

    // Told after a real change of a published value (through UpdateField).
    virtual void Changed() { }

    // The one path for setters: compare, assign, then notify. Returns whether it changed.
    template<typename T, typename U>
    bool UpdateField(T& field, U&& value)
    {
        if (field == value)
            return false;
        field = std::forward<U>(value);
        Changed();
        return true;
    }
};

}
