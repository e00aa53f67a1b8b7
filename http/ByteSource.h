// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the response reader takes its bytes from: a TCP connection in the
// client, a fixed buffer in tests and in the fuzzer.

#include <cstddef>

namespace nimbrell {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Waits for data and copies up to `capacity` bytes into `buffer`. Returns the
    // number of bytes copied, or 0 when the peer has closed the connection.
    // timeoutMs > 0 bounds the wait; 0 or less waits without bound. Throws
    // ReadTimeoutError when the bound passes without data, and SocketError
    // when the system reports a failure.
    virtual std::size_t Receive(char* buffer, std::size_t capacity, int timeoutMs) = 0;
};

}
