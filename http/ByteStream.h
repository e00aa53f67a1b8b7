// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The target of a download: a seekable, growable sequence of bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrell {

class ByteStream {
public:
    virtual ~ByteStream() = default;

    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    // Moves the position; a position past the end is clamped to the end.
    virtual void Seek(std::int64_t position) = 0;
    // Grows or shrinks the stream; the position is clamped to the new size.
    // Bytes added by growing are unspecified until written.
    virtual void SetSize(std::int64_t size) = 0;
    // Writes at the position, growing the stream as needed, and advances the position.
    virtual void Write(const char* data, std::size_t size) = 0;
};

// A stream in one block of memory. It grows through realloc so that large
// blocks are remapped rather than copied, which keeps a growing download's
// peak memory close to its size.
class MemoryStream final : public ByteStream {
public:
    MemoryStream() = default;
    ~MemoryStream() override;
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::int64_t Position() const override { return static_cast<std::int64_t>(m_position); }
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_size); }
    void Seek(std::int64_t position) override;
    void SetSize(std::int64_t size) override;
    void Write(const char* data, std::size_t size) override;

    const char* Data() const { return m_data; }
    std::string_view View() const { return { m_data, m_size }; }
    std::string ToString() const { return std::string(View()); }

private:
    void reserve(std::size_t capacity);

    char* m_data { nullptr };
    std::size_t m_size { 0 };
    std::size_t m_capacity { 0 };
    std::size_t m_position { 0 };
};

}
