// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lenient JSON reader. Beyond strict JSON it accepts: commas between elements and
// members left out, one trailing comma, a leading `+` on numbers, the escape `\'`, every
// character below U+0021 as whitespace, literal words directly followed by other text,
// and any text after the first complete value. Anything else makes the parse yield no value.

#include "json/JsonValue.h"

#include <memory>
#include <string_view>

namespace nimbrell {

class TxJSON {
public:
    // Lists and objects nested deeper than this make the parse yield no value, so that
    // hostile nesting cannot exhaust the stack.
    static constexpr int kMaxDepth = 512;

    // The root value of `text`, or nullptr when the text is empty or not accepted (a single
    // string of 2^32 code units or more is not accepted either).
    // A leading byte-order mark (U+FEFF, or the three characters U+00EF U+00BB U+00BF that
    // the UTF-8 mark becomes when read as Latin-1) is skipped. Never throws.
    static std::unique_ptr<TxJSONbase> ParseText(std::u16string_view text);

    // The same for UTF-8 text, read as if decoded to UTF-16 first: a leading EF BB BF is
    // the mark, and invalid sequences inside strings become U+FFFD.
    static std::unique_ptr<TxJSONbase> ParseText(std::string_view utf8);
};

}
