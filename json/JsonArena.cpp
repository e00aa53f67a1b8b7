#include "json/JsonArena.h"

#include <algorithm>
#include <new>

namespace nimbrell {

namespace {

constexpr std::size_t smallestChunk = 4u << 10;
constexpr std::size_t largestChunk = 8u << 20;

}

JsonArena::JsonArena(std::size_t expectedSize)
    : m_nextChunkSize(std::clamp(expectedSize, smallestChunk, largestChunk))
{
}

JsonArena::~JsonArena()
{
    while (m_chunks) {
        Chunk* next = m_chunks->next;
        ::operator delete(m_chunks);
        m_chunks = next;
    }
}

void* JsonArena::allocateSlow(std::size_t size, std::size_t alignment)
{
    std::size_t needed = sizeof(Chunk) + size + alignment;
    if (needed < size)
        throw std::bad_alloc();
    if (needed > largestChunk / 2) {
        // A block of its own, leaving the current chunk in use.
        auto* chunk = static_cast<Chunk*>(::operator new(needed));
        chunk->next = m_chunks;
        m_chunks = chunk;
        auto address = (reinterpret_cast<std::uintptr_t>(chunk + 1) + alignment - 1) & ~(alignment - 1);
        return reinterpret_cast<void*>(address);
    }
    std::size_t chunkSize = std::max(m_nextChunkSize, needed);
    auto* chunk = static_cast<Chunk*>(::operator new(chunkSize));
    chunk->next = m_chunks;
    m_chunks = chunk;
    m_cursor = reinterpret_cast<char*>(chunk + 1);
    m_limit = reinterpret_cast<char*>(chunk) + chunkSize;
    m_nextChunkSize = std::min(chunkSize * 2, largestChunk);
    return Allocate(size, alignment);
}

}
