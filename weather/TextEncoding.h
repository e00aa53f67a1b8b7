// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Conversions between received bytes and the program's text, which is UTF-8
// throughout (JSON, SQLite, Pango and GTK all take it as it is). Received UTF-8
// goes through SanitizeUtf8 (base/Utf.h).

#include <string>
#include <string_view>

namespace nimbrell {

// The system's legacy 8-bit code page: GBK.
// Decoding turns bytes that GBK cannot read into U+FFFD.
std::string DecodeSystemCodePage(std::string_view bytes);
// Encoding turns characters that GBK cannot hold, and ill-formed UTF-8, into '?'.
std::string EncodeSystemCodePage(std::string_view text);

}
