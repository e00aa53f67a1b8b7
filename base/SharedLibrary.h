// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A library opened at run time, for code that only some runs need: linked, it
// would be mapped into every start of the program.

#include <optional>
#include <string>

namespace nimbrell {

class SharedLibrary {
public:
    // The library named `soname`, its symbols kept to itself; nothing when it
    // cannot be opened.
    static std::optional<SharedLibrary> Open(const std::string& soname);

    // Points `function` at the library's symbol `name`; false when it has none.
    template<typename Function>
    bool Find(const char* name, Function*& function) const
    {
        function = reinterpret_cast<Function*>(find(name));
        return function != nullptr;
    }

    // Gives the library back; it is unmapped once nothing else holds it, and
    // every function found in it is gone.
    void Close();

private:
    explicit SharedLibrary(void* handle)
        : m_handle(handle)
    {
    }
    void* find(const char* name) const;

    void* m_handle;
};

}
