// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Counts the bytes every operator new of the program asks for, so a benchmark can report
// what a run allocates. Linking nimbrell_bench_allocations replaces the global operator
// new and delete.

#include <atomic>
#include <cstddef>

namespace nimbrell::bench {

extern std::atomic<std::size_t> allocatedBytes;

}
