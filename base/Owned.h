// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Owning handles for C libraries' objects: freed with the library's own function
// when the owner goes, so no path forgets the release.

#include <memory>

namespace nimbrell {

// Frees a handle with the library's own function.
template<auto Free>
struct Release {
    template<typename T>
    void operator()(T* handle) const
    {
        Free(handle);
    }
};

// A T owned by one holder and freed with Free.
template<typename T, auto Free>
using Owned = std::unique_ptr<T, Release<Free>>;

}
