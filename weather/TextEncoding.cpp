// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/TextEncoding.h"

#include "base/Utf.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr const char* kSystemCodePage = "GBK";

enum class Unit {
    Byte,
    Utf8Sequence
};

class Converter {
public:
    Converter(const char* to, const char* from)
        : m_handle(iconv_open(to, from))
    {
        if (m_handle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("No conversion from ") + from + " to " + to + ".");
    }
    ~Converter() { iconv_close(m_handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `input`, writing `replacement` in place of each unit of input
    // that cannot be converted.
    std::string Convert(std::string_view input, std::string_view replacement, Unit unit)
    {
        std::string out;
        out.reserve(input.size() * 3 / 2 + 16);
        char buffer[4096];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* outPointer = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(m_handle, &in, &inLeft, &outPointer, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: an unconvertible or cut-off unit.
            out += replacement;
            std::size_t skip = 1;
            if (unit == Unit::Utf8Sequence)
                skip = DecodeUtf8Char({ in, inLeft }).length;
            skip = std::min(skip, inLeft);
            in += skip;
            inLeft -= skip;
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t m_handle;
};

}

std::string DecodeSystemCodePage(std::string_view bytes)
{
    Converter converter("UTF-8", kSystemCodePage);
    return converter.Convert(bytes, kReplacement, Unit::Byte);
}

std::string EncodeSystemCodePage(std::string_view text)
{
    Converter converter(kSystemCodePage, "UTF-8");
    return converter.Convert(text, "?", Unit::Utf8Sequence);
}

}
