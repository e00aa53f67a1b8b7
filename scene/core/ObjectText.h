// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The textual form of object streams, for editing and review:
//
//   object Panel: TvxLayout
//     Width = 361.0
//     Fill.Color = '#FFEBA335'
//     Items.strings = (
//       'first'
//       #24459#22825)
//     Points = <
//       item
//         Offset = 0.5
//       end>
//     Bitmap.PNG = @include 'art/logo.png'
//     object TvxRectangle
//     end
//   end
//
// Values: integers ($ for hexadecimal), floats (a fraction or an exponent, read as the
// 32-bit value every float property holds; suffix s, c, d or r for the single, currency,
// date and double tags; 0x and 20 hexadecimal digits for any other 80-bit value), strings of quoted UTF-8 and #code units joined by +,
// identifiers, True/False, nil, [sets], (lists), <collections>, {hexadecimal binary},
// and @include 'file' for a binary read from a file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class ObjectTextError : public std::runtime_error {
public:
    ObjectTextError(const std::string& message, int line)
        : std::runtime_error(message)
        , m_line(line) { }
    int Line() const { return m_line; }

private:
    int m_line;
};

// Where each property entry and object record of the binary came from.
struct TextLineMark {
    std::size_t offset;
    int line;
};

// Returns the bytes of the named file; throws std::runtime_error when it cannot.
using IncludeResolver = std::function<std::vector<std::uint8_t>(std::string_view path)>;

// Throws ObjectTextError.
std::vector<std::uint8_t> ObjectTextToBinary(std::string_view text, const IncludeResolver& include = {},
    std::vector<TextLineMark>* marks = nullptr);
// Throws ObjectStreamError.
std::string ObjectBinaryToText(std::span<const std::uint8_t> binary);
// The line of the last mark at or before offset; 0 when none.
int LineAtOffset(const std::vector<TextLineMark>& marks, std::size_t offset);

}
