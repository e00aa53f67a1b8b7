// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A record owned by a scene object or by another record (a position, bounds, a font, a
// brush and its parts, a gradient): its setters go through UpdateField, and every real
// change is told to the owner through OnChanged. Changes made inside ChangeAtOnce are
// told once, at its end.

#include "scene/core/TvxPersistent.h"

#include <functional>
#include <utility>

namespace nimbrell {

class TvxSubRecord : public TvxPersistent {
public:
    // Told after every real change.
    std::function<void()> OnChanged;

protected:
    enum class Tell {
        IfChanged,
        Always
    };

    void Changed() override
    {
        if (m_batches > 0) {
            m_changedInBatch = true;
            return;
        }
        if (OnChanged)
            OnChanged();
    }

    // Runs change with the notifications held back, then tells the owner once: when
    // something changed, or always.
    template<typename Change>
    void ChangeAtOnce(Change&& change, Tell tell = Tell::IfChanged)
    {
        ++m_batches;
        try {
            std::forward<Change>(change)();
        } catch (...) {
            --m_batches;
            m_changedInBatch = false;
            throw;
        }
        --m_batches;
        const bool changed = std::exchange(m_changedInBatch, false);
        if (m_batches == 0 && (changed || tell == Tell::Always) && OnChanged)
            OnChanged();
    }

    // The source of an Assign as this record's class; the base Assign's error otherwise.
    template<typename Record>
    const Record& SourceAs(const TvxPersistent& source)
    {
        if (const auto* same = dynamic_cast<const Record*>(&source))
            return *same;
        ThrowAssignMismatch(source);
    }

private:
    int m_batches { 0 };
    bool m_changedInBatch { false };
};

}
