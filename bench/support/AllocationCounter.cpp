// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/support/AllocationCounter.h"

#include <cstdlib>
#include <new>

std::atomic<std::size_t> nimbrell::bench::allocatedBytes { 0 };

void* operator new(std::size_t size)
{
    nimbrell::bench::allocatedBytes.fetch_add(size, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
