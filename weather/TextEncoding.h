#pragma once

// Conversions between received bytes and the program's text, which is UTF-8
// throughout (JSON, SQLite, Pango and GTK all take it as it is).

#include <string>
#include <string_view>

namespace nimbrell {

// Decodes UTF-8 bytes; every ill-formed sequence becomes U+FFFD, so the result
// is always valid UTF-8. A byte-order mark stays at the start.
std::string DecodeUtf8(std::string_view bytes);

// The system's legacy 8-bit code page: GBK.
// Decoding turns bytes that GBK cannot read into U+FFFD.
std::string DecodeSystemCodePage(std::string_view bytes);
// Encoding turns characters that GBK cannot hold, and ill-formed UTF-8, into '?'.
std::string EncodeSystemCodePage(std::string_view text);

}
