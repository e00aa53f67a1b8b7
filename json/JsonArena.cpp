#include "json/JsonArena.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

namespace nimbrell {

namespace {

constexpr std::size_t kSmallestChunk = 4u << 10;
constexpr std::size_t kLargestChunk = 8u << 20;
constexpr std::size_t kHugePage = 2u << 20;

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
        if (chunk->mapped)
            munmap(chunk, chunk->size);
        else
            ::operator delete(chunk);
    }
}

JsonArena::Chunk* JsonArena::newChunk(std::size_t size)
{
    void* memory = nullptr;
    bool mapped = false;
    if (size >= kHugePage) {
        size = (size + kHugePage - 1) / kHugePage * kHugePage;
        memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        madvise(memory, size, MADV_HUGEPAGE);
        mapped = true;
    } else {
        memory = ::operator new(size);
    }
    auto* chunk = static_cast<Chunk*>(memory);
    chunk->next = m_chunks;
    chunk->size = size;
    chunk->mapped = mapped;
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
