// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SQLite's functions, from the library opened while something holds it. Only
// the first start and the settings window read the place database at length,
// the widget a few rows per forecast: linked, the library would stay mapped
// (1.2 MB resident) for the whole run.

#include <sqlite3.h>

#include <memory>

namespace nimbrell {

#define NIMBRELL_SQLITE_FUNCTIONS(F) \
    F(sqlite3_close_v2)              \
    F(sqlite3_column_bytes)          \
    F(sqlite3_column_double)         \
    F(sqlite3_column_text)           \
    F(sqlite3_column_type)           \
    F(sqlite3_errmsg)                \
    F(sqlite3_finalize)              \
    F(sqlite3_open_v2)               \
    F(sqlite3_prepare_v2)            \
    F(sqlite3_shutdown)              \
    F(sqlite3_step)

// Each member is the function of the same name.
struct Sqlite {
#define NIMBRELL_SQLITE_MEMBER(name) decltype(&::name) name {};
    NIMBRELL_SQLITE_FUNCTIONS(NIMBRELL_SQLITE_MEMBER)
#undef NIMBRELL_SQLITE_MEMBER

    // The library, open until the last holder lets it go; then it is shut
    // down and unmapped (unless the program links it anyway). Any thread.
    // Throws std::runtime_error when it or one of its functions is missing.
    static std::shared_ptr<const Sqlite> Hold();
};

}
