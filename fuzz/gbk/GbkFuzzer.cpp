// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the GBK decoder and encoder: the decoded text is
// always valid UTF-8, also after a round trip through the encoder, and
// encoding bytes that are not UTF-8 at all is safe.

#include "base/Utf.h"
#include "weather/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nimbrell;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string text = DecodeSystemCodePage(bytes);
    if (SanitizeUtf8(text) != text)
        std::abort();
    std::string encoded = EncodeSystemCodePage(bytes);
    std::string again = DecodeSystemCodePage(EncodeSystemCodePage(text));
    if (SanitizeUtf8(again) != again)
        std::abort();
    (void)encoded;
    return 0;
}
