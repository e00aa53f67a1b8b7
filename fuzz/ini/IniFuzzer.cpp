// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a settings file: reads never fail, a write keeps every other
// line and reads back what was written.
#include "data/IniDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using nimbrell::IniDocument;
    std::string_view content(reinterpret_cast<const char*>(data), size);
    auto document = IniDocument::Parse(content);
    for (const char* key : { "formLeft", "city", "" })
        document.Value("CONFIG", key, 2047);

    document.SetValue("CONFIG", "formTop", "300");
    auto reread = IniDocument::Parse(document.Text());
    auto value = reread.Value("CONFIG", "formTop", 2047);
    if (!value || *value != "300")
        std::abort();
    return 0;
}
