// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/ByteStream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace nimbrell {

MemoryStream::~MemoryStream()
{
    std::free(m_data);
}

void MemoryStream::Seek(std::int64_t position)
{
    if (position < 0)
        position = 0;
    m_position = std::min(static_cast<std::size_t>(position), m_size);
}

void MemoryStream::SetSize(std::int64_t size)
{
    if (size < 0)
        size = 0;
    auto newSize = static_cast<std::size_t>(size);
    if (newSize > m_capacity)
        reserve(newSize);
    m_size = newSize;
    m_position = std::min(m_position, m_size);
}

void MemoryStream::Write(const char* data, std::size_t size)
{
    if (size == 0)
        return;
    if (size > SIZE_MAX - m_position)
        throw std::bad_alloc();
    std::size_t end = m_position + size;
    if (end > m_capacity)
        reserve(std::max(end, m_capacity < SIZE_MAX / 2 ? m_capacity * 2 : end));
    std::memcpy(m_data + m_position, data, size);
    m_position = end;
    m_size = std::max(m_size, end);
}

void MemoryStream::reserve(std::size_t capacity)
{
    capacity = std::max<std::size_t>(capacity, 256);
    void* grown = std::realloc(m_data, capacity);
    if (!grown)
        throw std::bad_alloc();
    m_data = static_cast<char*>(grown);
    m_capacity = capacity;
}

}
