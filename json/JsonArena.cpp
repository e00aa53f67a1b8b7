// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/JsonArena.h"

#include <algorithm>
#include <new>

namespace nimbrell {

namespace {

constexpr std::size_t kSmallestChunk = 4u << 10;
constexpr std::size_t kLargestChunk = 8u << 20;

}

JsonArena::JsonArena(std::size_t expectedSize)
    : m_nextChunkSize(std::clamp(expectedSize, kSmallestChunk, kLargestChunk))
{
}

JsonArena::~JsonArena()
{
    while (m_chunks) {
        Chunk* chunk = m_chunks;
        m_chunks = chunk->next;
        ::operator delete(chunk);
    }
}

JsonArena::Chunk* JsonArena::newChunk(std::size_t size)
{
    // From the heap, which keeps the memory of a freed document for the next one where
    // parses repeat (fresh pages cost as much to fault in as a tree costs to parse).
    auto* chunk = static_cast<Chunk*>(::operator new(size));
    chunk->next = m_chunks;
    chunk->size = size;
    m_chunks = chunk;
    return chunk;
}

void* JsonArena::allocateSlow(std::size_t size, std::size_t alignment)
{
    std::size_t needed = sizeof(Chunk) + size + alignment;
    if (needed < size)
        throw std::bad_alloc();
    if (needed > kLargestChunk / 2) {
        // A block of its own, leaving the current chunk in use.
        Chunk* chunk = newChunk(needed);
        auto address = (reinterpret_cast<std::uintptr_t>(chunk + 1) + alignment - 1) & ~(alignment - 1);
        return reinterpret_cast<void*>(address);
    }
    Chunk* chunk = newChunk(std::max(m_nextChunkSize, needed));
    m_cursor = reinterpret_cast<char*>(chunk + 1);
    m_limit = reinterpret_cast<char*>(chunk) + chunk->size;
    m_nextChunkSize = std::min(chunk->size * 2, kLargestChunk);
    return Allocate(size, alignment);
}

}
