// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Sqlite.h"

#include "base/SharedLibrary.h"

#include <dlfcn.h>

#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

namespace nimbrell {

namespace {

std::mutex guard;
std::weak_ptr<const Sqlite> held;

// Shuts the library down and gives it back, unless another holder took it meanwhile.
void release(SharedLibrary library, const Sqlite* functions)
{
    std::lock_guard lock(guard);
    // Linked into the program (a test that also reads databases itself), the
    // library stays, and so may connections the program opened directly.
    bool linked = dlsym(RTLD_DEFAULT, "sqlite3_shutdown") != nullptr;
    if (held.expired() && !linked)
        functions->sqlite3_shutdown();
    std::unique_ptr<const Sqlite> owned(functions);
    library.Close();
}

}

std::shared_ptr<const Sqlite> Sqlite::Hold()
{
    std::lock_guard lock(guard);
    if (auto functions = held.lock())
        return functions;
    const std::string soname = "libsqlite3.so.0";
    std::optional<SharedLibrary> library = SharedLibrary::Open(soname);
    if (!library)
        throw std::runtime_error(soname + " cannot be opened");
    auto functions = std::make_unique<Sqlite>();
#define NIMBRELL_SQLITE_FIND(name)                           \
    if (!library->Find(#name, functions->name)) {            \
        library->Close();                                    \
        throw std::runtime_error(soname + " has no " #name); \
    }
    NIMBRELL_SQLITE_FUNCTIONS(NIMBRELL_SQLITE_FIND)
#undef NIMBRELL_SQLITE_FIND
    std::shared_ptr<const Sqlite> shared(functions.release(), [library = *library](const Sqlite* functions) { release(library, functions); });
    held = shared;
    return shared;
}

}
