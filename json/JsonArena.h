// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The memory of one parsed document: a bump allocator over chunks that are freed together.
// Chunks grow with the document.

#include <cstddef>
#include <cstdint>
#include <memory_resource>

namespace nimbrell {

class JsonArena final : public std::pmr::memory_resource {
public:
    // `expectedSize` sizes the first chunk; later chunks grow from it.
    explicit JsonArena(std::size_t expectedSize);
    ~JsonArena() override;
    JsonArena(const JsonArena&) = delete;
    JsonArena& operator=(const JsonArena&) = delete;

    void* Allocate(std::size_t size, std::size_t alignment)
    {
        auto address = (reinterpret_cast<std::uintptr_t>(m_cursor) + alignment - 1) & ~(alignment - 1);
        auto* start = reinterpret_cast<char*>(address);
        if (m_cursor && start <= m_limit && size <= static_cast<std::size_t>(m_limit - start)) {
            m_cursor = start + size;
            return start;
        }
        return allocateSlow(size, alignment);
    }

    // Gives back the end of the latest allocation, which was `oldSize` bytes at `block`.
    void Shrink(void* block, std::size_t oldSize, std::size_t newSize)
    {
        if (static_cast<char*>(block) + oldSize == m_cursor)
            m_cursor = static_cast<char*>(block) + newSize;
    }

private:
    struct Chunk {
        Chunk* next;
        std::size_t size;
    };

    Chunk* newChunk(std::size_t size);

    void* allocateSlow(std::size_t size, std::size_t alignment);
    void* do_allocate(std::size_t size, std::size_t alignment) override { return Allocate(size, alignment); }
    void do_deallocate(void*, std::size_t, std::size_t) override { }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    char* m_cursor { nullptr };
    char* m_limit { nullptr };
    Chunk* m_chunks { nullptr };
    std::size_t m_nextChunkSize;
};

}
